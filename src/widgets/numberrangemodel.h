#pragma once

#include <QAbstractListModel>

// The whole numbers first..last as list items, computed on demand: refilling the choice of how
// many entries to draw stays instant even for a list of a million entries.
class NumberRangeModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRange(int first, int last);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    int m_first = 1;
    int m_count = 0;
};
