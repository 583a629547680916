// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"

#include <QAbstractListModel>

namespace tankedosan::widgets {

// A list of lines for a view, one row per line: a model over the line store, because a list widget's own
// storage takes tens of seconds to take a million lines. The display role gives the shown part of a line
// (a view lays out no more); the edit role gives it whole.
class LineListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit LineListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const store::LineStore &lines() const { return m_lines; }
    int count() const { return int(m_lines.size()); }
    QString item(int row) const { return m_lines.at(row); }
    QStringList items() const { return m_lines.toStringList(); }

    void setLines(store::LineStore lines);
    void insertLine(qsizetype row, QStringView line);
    void removeLine(qsizetype row);
    void clear();

private:
    store::LineStore m_lines;
};

} // namespace tankedosan::widgets
