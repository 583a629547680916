#pragma once

#include "store/failure.h"
#include "store/linestore.h"

#include <QAbstractListModel>
#include <QStringList>

// A list that is never shown: the proverbs of a collection, or the hits of a search, with one selected entry
// or none. A model over the line store rather than a list widget because a collection can hold a million
// entries.
class HiddenList : public QAbstractListModel {
public:
    explicit HiddenList(const QString &name, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    // The display role gives the shown part of a line; the edit role gives it whole.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int count() const { return int(m_lines.size()); }
    const store::LineStore &lines() const { return m_lines; }
    QString item(int index) const { return m_lines.at(index); }
    QStringList items() const { return m_lines.toStringList(); }

    void addItem(const QString &text);
    void insertItem(int index, const QString &text);
    store::MaybeFailure removeItem(int index);
    void clear();
    void setItems(const QStringList &items);
    void setLines(store::LineStore lines);

    // -1 when none is selected.
    int selectedIndex() const { return m_selected; }
    // -1 clears the selection; below -1 or beyond the end is a failure and changes nothing.
    store::MaybeFailure setSelectedIndex(int index);
    // The selected entry's text, or an empty text when none is selected.
    QString selectedText() const { return m_selected < 0 ? QString() : m_lines.at(m_selected); }

private:
    store::LineStore m_lines;
    int m_selected = -1;
};
