#include "guard/ListModel.h"

#include "guard/ListStore.h"

#include <QLocale>

namespace guard {

ListModel::ListModel(ListStore *store, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_rows(int(store->lists().size()))
{
    connect(store, &ListStore::listsChanged, this, &ListModel::storeChanged);
}

void ListModel::storeChanged()
{
    // Lists come and go one at a time (added, removed); the rest only change their cells.
    const int now = int(m_store->lists().size());
    if (now > m_rows) {
        beginInsertRows({}, m_rows, now - 1);
        m_rows = now;
        endInsertRows();
    } else if (now < m_rows) {
        beginRemoveRows({}, now, m_rows - 1);
        m_rows = now;
        endRemoveRows();
    }
    if (m_rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_store->lists().size())
        return {};
    const GuardList &l = m_store->lists()[index.row()];
    if (role == Qt::CheckStateRole && index.column() == Name)
        return l.enabled ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ToolTipRole && index.column() == State)
        return l.state;
    if (role == Qt::TextAlignmentRole
        && (index.column() == Understood || index.column() == Skipped))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const auto count = [](int n) { return n < 0 ? QString() : QLocale().toString(n); };
    switch (index.column()) {
    case Name:
        return l.name;
    case Source:
        return l.source;
    case Understood:
        return count(l.understood);
    case Skipped:
        return count(l.skipped);
    case Updated:
        return l.updated.isValid()
            ? QLocale().toString(l.updated.toLocalTime().date(), QLocale::ShortFormat)
            : QStringLiteral("never");
    case State:
        return l.state;
    default:
        return {};
    }
}

bool ListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != Name || role != Qt::CheckStateRole)
        return false;
    m_store->setListEnabled(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == Name)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const captions[ColumnCount]
        = {"List", "Source", "Rules", "Skipped", "Last update", "State"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(captions[section])
                                                 : QVariant();
}

} // namespace guard
