#include "widgets/hiddenlist.h"

HiddenList::HiddenList(const QString &name, QObject *parent)
    : LineListModel(parent)
{
    setObjectName(name);
}

void HiddenList::addItem(const QString &text)
{
    insertItem(count(), text);
}

void HiddenList::insertItem(int index, const QString &text)
{
    index = std::clamp(index, 0, count());
    if (m_selected >= index)
        ++m_selected;
    insertLine(index, text);
}

store::MaybeFailure HiddenList::removeItem(int index)
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

void HiddenList::clear()
{
    setLines({});
}

void HiddenList::setItems(const QStringList &items)
{
    setLines(store::LineStore::fromStrings(items));
}

void HiddenList::setLines(store::LineStore lines)
{
    m_selected = -1;
    LineListModel::setLines(std::move(lines));
}

store::MaybeFailure HiddenList::setSelectedIndex(int index)
{
    if (index < -1 || index >= count())
        return store::failures::invalidCall();
    m_selected = index;
    return std::nullopt;
}
