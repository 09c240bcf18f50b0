#pragma once

#include <QAbstractTableModel>

namespace guard {

class ListStore;

// The filter lists as a table: a check box per list in the first column, then where it
// comes from, how many of its rules are understood and skipped, when it was last updated
// and what state it is in. Rows follow the store.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Name, Source, Understood, Skipped, Updated, State, ColumnCount };

    explicit ListModel(ListStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void storeChanged();

    ListStore *m_store;
    int m_rows = 0;
};

} // namespace guard
