#include "editor/editorlist.h"

EditorList::EditorList(QObject *parent)
    : QAbstractListModel(parent)
{
}

int EditorList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant EditorList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return m_lines.shownAt(index.row());
    if (role == Qt::EditRole)
        return m_lines.at(index.row());
    return {};
}

void EditorList::setLines(store::LineStore lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void EditorList::insertLine(qsizetype row, QStringView line)
{
    row = std::clamp<qsizetype>(row, 0, m_lines.size());
    beginInsertRows({}, int(row), int(row));
    m_lines.insert(row, line);
    endInsertRows();
}

void EditorList::removeLine(qsizetype row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    beginRemoveRows({}, int(row), int(row));
    m_lines.removeAt(row);
    endRemoveRows();
}

void EditorList::clear()
{
    setLines({});
}
