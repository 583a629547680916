// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "widgets/linelistmodel.h"
#include "store/failure.h"

#include <QStringList>

namespace tankedosan::widgets {

// A list with one selected entry or none, as a list box holds it: the main window's proverbs and search
// hits (never shown), and the lines of the import and text-files windows.
class ListBoxModel : public LineListModel
{
    Q_OBJECT

public:
    explicit ListBoxModel(const QString &name, QObject *parent = nullptr);

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
    QString selectedText() const { return m_selected < 0 ? QString() : item(m_selected); }

private:
    int m_selected = -1;
};

} // namespace tankedosan::widgets
