#include "compat/FileLists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

namespace compat {

bool MatchesWildcard(const QString &name, const QString &pattern)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    // Greedy matching with one backtrack point: the last "*" seen and where in the name
    // it started to match.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
                   && (pattern[p] == QLatin1Char('?')
                       || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool MatchesPattern(const QString &name, const QString &patternList)
{
    const QStringList patterns = patternList.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &p : patterns) {
        if (MatchesWildcard(name, p.trimmed()))
            return true;
    }
    return false;
}

QString JoinFolderFile(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

namespace {

QString cleanFolder(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool readableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;

// Indents each folder by its depth, so the path down to the current folder reads as a tree.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem o(option);
        o.rect.adjust(index.data(kLevelRole).toInt() * 12, 0, 0, 0);
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.rwidth() += index.data(kLevelRole).toInt() * 12;
        return s;
    }
};

} // namespace

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent)
{
    fill(mountedVolumes());
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet)
            Q_EMIT Change();
    });
}

QList<Volume> DriveListBox::mountedVolumes()
{
    QList<Volume> volumes;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid())
            continue;
        QString label = s.displayName();
        if (label == s.rootPath())
            label.clear();
        volumes.append({s.rootPath(), label});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume &a, const Volume &b) { return a.rootPath < b.rootPath; });
    return volumes;
}

void DriveListBox::setVolumes(const QList<Volume> &volumes)
{
    fill(volumes);
}

void DriveListBox::fill(const QList<Volume> &volumes)
{
    m_quiet = true;
    clear();
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Volume &v : volumes) {
        const QString text
            = v.label.isEmpty() ? v.rootPath : v.rootPath + QStringLiteral("  [") + v.label + ']';
        addItem(icon, text, v.rootPath);
    }
    m_quiet = false;
}

QString DriveListBox::Drive() const
{
    return currentData().toString();
}

void DriveListBox::setDrive(const QString &path)
{
    const QString folder = cleanFolder(path);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool inside = folder == root || root == QLatin1String("/")
            || folder.startsWith(root + QLatin1Char('/'));
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    m_quiet = true;
    setCurrentIndex(best);
    m_quiet = false;
}

DirListBox::DirListBox(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { setPath(item->data(kPathRole).toString()); });
}

bool DirListBox::setPath(const QString &path)
{
    const QString folder = cleanFolder(path);
    if (!readableFolder(folder))
        return false;
    const bool changed = folder != m_path;
    m_path = folder;
    rebuild();
    if (changed)
        Q_EMIT Change();
    return true;
}

void DirListBox::rebuild()
{
    clear();
    QStyle *style = QApplication::style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);

    auto add = [this](const QIcon &icon, const QString &text, const QString &path, int level) {
        auto *item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, path);
        item->setData(kLevelRole, level);
        return item;
    };

    // The path from the root folder down to the current one, then its subfolders.
    QListWidgetItem *current = add(open, QStringLiteral("/"), QStringLiteral("/"), 0);
    QString walked;
    int level = 0;
    for (const QString &part : m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        walked += QLatin1Char('/') + part;
        current = add(open, part, walked, ++level);
    }
    const QDir dir(m_path);
    const QStringList subfolders
        = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders)
        add(closed, name, JoinFolderFile(m_path, name), level + 1);
    setCurrentItem(current);
}

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, [this] { Q_EMIT Click(); });
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { Q_EMIT DblClick(); });
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    // Enter on a file is the keyboard's double-click.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        Q_EMIT DblClick();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::setPath(const QString &path)
{
    m_path = cleanFolder(path);
    refresh();
}

void FileListBox::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

QString FileListBox::FileName() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FileListBox::setFileName(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    setCurrentItem(found.isEmpty() ? nullptr : found.first());
}

QStringList FileListBox::names() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list.append(item(i)->text());
    return list;
}

void FileListBox::refresh()
{
    // The selection survives a refresh while its file is still listed.
    const QString selected = FileName();
    clear();
    if (m_path.isEmpty())
        return;
    const QStringList files
        = QDir(m_path).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : files) {
        if (MatchesPattern(name, m_pattern))
            addItem(name);
    }
    if (!selected.isEmpty())
        setFileName(selected);
}

} // namespace compat
