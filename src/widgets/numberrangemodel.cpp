#include "widgets/numberrangemodel.h"

void NumberRangeModel::setRange(int first, int last)
{
    beginResetModel();
    m_first = first;
    m_count = last >= first ? last - first + 1 : 0;
    endResetModel();
}

int NumberRangeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant NumberRangeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return QString::number(m_first + index.row());
    return {};
}
