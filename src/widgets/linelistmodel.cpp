// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/linelistmodel.h"

namespace tankedosan::widgets {

LineListModel::LineListModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

int LineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return m_lines.rowAt(index.row());
    if (role == Qt::EditRole)
        return m_lines.at(index.row());
    return {};
}

void LineListModel::setLines(store::LineStore lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void LineListModel::insertLine(qsizetype row, QStringView line)
{
    row = std::clamp<qsizetype>(row, 0, m_lines.size());
    beginInsertRows({}, int(row), int(row));
    m_lines.insert(row, line);
    endInsertRows();
}

void LineListModel::removeLine(qsizetype row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    beginRemoveRows({}, int(row), int(row));
    m_lines.removeAt(row);
    endRemoveRows();
}

void LineListModel::clear()
{
    setLines({});
}

} // namespace tankedosan::widgets
