#include "main/hiddenlist.h"

HiddenList::HiddenList(const QString &name, QObject *parent)
    : QAbstractListModel(parent)
{
    setObjectName(name);
}

int HiddenList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant HiddenList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return m_lines.shownAt(index.row());
    if (role == Qt::EditRole)
        return m_lines.at(index.row());
    return {};
}

void HiddenList::addItem(const QString &text)
{
    insertItem(count(), text);
}

void HiddenList::insertItem(int index, const QString &text)
{
    index = std::clamp(index, 0, count());
    beginInsertRows({}, index, index);
    m_lines.insert(index, text);
    if (m_selected >= index)
        ++m_selected;
    endInsertRows();
}

store::MaybeFailure HiddenList::removeItem(int index)
{
    if (index < 0 || index >= count())
        return store::failures::invalidCall();
    beginRemoveRows({}, index, index);
    m_lines.removeAt(index);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    endRemoveRows();
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
    beginResetModel();
    m_lines = std::move(lines);
    m_selected = -1;
    endResetModel();
}

store::MaybeFailure HiddenList::setSelectedIndex(int index)
{
    if (index < -1 || index >= count())
        return store::failures::invalidCall();
    m_selected = index;
    return std::nullopt;
}
