// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/listboxmodel.h"

namespace tankedosan::widgets {

ListBoxModel::ListBoxModel(const QString &name, QObject *parent)
    : LineListModel(parent)
{
    setObjectName(name);
}

void ListBoxModel::addItem(const QString &text)
{
    insertItem(count(), text);
}

void ListBoxModel::insertItem(int index, const QString &text)
{
    index = std::clamp(index, 0, count());
    if (m_selected >= index)
        ++m_selected;
    insertLine(index, text);
}

store::MaybeFailure ListBoxModel::removeItem(int index)
{
    if (index < 0 || index >= count())
        return store::failures::invalidCall();
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    removeLine(index);
    return std::nullopt;
}

void ListBoxModel::clear()
{
    setLines({});
}

void ListBoxModel::setItems(const QStringList &items)
{
    setLines(store::LineStore::fromStrings(items));
}

void ListBoxModel::setLines(store::LineStore lines)
{
    m_selected = -1;
    LineListModel::setLines(std::move(lines));
}

store::MaybeFailure ListBoxModel::setSelectedIndex(int index)
{
    if (index < -1 || index >= count())
        return store::failures::invalidCall();
    m_selected = index;
    return std::nullopt;
}

} // namespace tankedosan::widgets
