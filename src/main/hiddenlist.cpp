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
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_items.at(index.row());
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
    m_items.insert(index, text);
    if (m_selected >= index)
        ++m_selected;
    endInsertRows();
}

store::MaybeFailure HiddenList::removeItem(int index)
{
    if (index < 0 || index >= count())
        return store::failures::invalidCall();
    beginRemoveRows({}, index, index);
    m_items.removeAt(index);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    endRemoveRows();
    return std::nullopt;
}

void HiddenList::clear()
{
    setItems({});
}

void HiddenList::setItems(QStringList items)
{
    beginResetModel();
    m_items = std::move(items);
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
