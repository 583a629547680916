#pragma once

#include "store/linestore.h"

#include <QAbstractListModel>

// The editor list's lines for its view: one row per line, showing the shown part of each. A model over the
// line store, because the list widget's own storage takes tens of seconds to take a million sorted lines.
class EditorList : public QAbstractListModel {
public:
    explicit EditorList(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    // The display role gives the shown part of a line; the edit role gives it whole.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const store::LineStore &lines() const { return m_lines; }
    qsizetype count() const { return m_lines.size(); }

    void setLines(store::LineStore lines);
    void insertLine(qsizetype row, QStringView line);
    void removeLine(qsizetype row);
    void clear();

private:
    store::LineStore m_lines;
};
