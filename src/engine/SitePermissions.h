#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>

namespace engine {

using Feature = QWebEnginePage::Feature;

// What a page may ask for, in the words the program uses for it: the question's ("wants to
// use your camera"), the name in the list of site permissions ("Camera"), and the key in
// permissions.ini. Empty for a feature the program does not know.
QString FeatureWords(Feature feature);
QString FeatureName(Feature feature);
QString FeatureKey(Feature feature);
bool FeatureFromKey(const QString &key, Feature *feature);

// The site a request comes from as the store keeps it: scheme, host and port (the port only
// when it is not the scheme's own), so that the plain and the secure form of a site, or two
// programs on one machine, are asked apart. Empty for an origin without a host.
QString SiteOf(const QUrl &origin);
// "<host> wants to <plain words>".
QString PermissionQuestion(const QUrl &origin, Feature feature);

// The user's answers to pages' requests, per site and feature, kept in permissions.ini in
// the program's data folder: one section a site, "<feature>=allow" or "=deny" lines, so the
// file can be read and edited by hand. Written whole with QSaveFile at every change; a file
// that cannot be read is set aside and no answer is taken from it. As a table it is the list
// of site permissions the settings window shows: site, permission, answer.
class SitePermissions : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { SiteColumn, PermissionColumn, AnswerColumn, ColumnCount };

    enum Answer { Unanswered, Allowed, Denied };
    struct Row
    {
        QString site;
        Feature feature;
        bool allowed;
        bool operator==(const Row &) const = default;
    };

    // The program's answers, read from the file at first use; a file set aside then is said
    // in a message box once the caller is done.
    static SitePermissions &instance();
    static QString filePath();

    // Reads the file again: what went wrong, in plain words for the user, or "".
    QString load();
    Answer answer(const QUrl &origin, Feature feature) const;
    // Keeps an answer; false, with the reason, when the file could not be written (the answer
    // then holds for this run only).
    bool remember(const QUrl &origin, Feature feature, bool allowed, QString *error = nullptr);
    // Forgets an answer: the site is asked again next time.
    bool forget(const QString &site, Feature feature, QString *error = nullptr);
    // Every answer, by site and then by the feature's order.
    const QList<Row> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    bool save(const QList<Row> &rows, QString *error) const;

    QList<Row> m_rows;
    // The damaged file could not be set aside: it is not written over.
    bool m_keepOff = false;
};

// The requests of one page waiting for the user, oldest first. The bar asks about one at a
// time, the oldest: a page that asks for several things (camera, then location) gets each
// question in the order it asked, and no question hides another. The same request again
// while it waits is one question.
class PermissionQueue
{
public:
    struct Request
    {
        QUrl origin;
        Feature feature;
        bool operator==(const Request &) const = default;
    };

    // True when the request is now the one asked about (the queue was empty).
    bool add(const Request &request);
    // The page withdrew it; true when it was waiting.
    bool cancel(const Request &request);
    // Takes the question asked about off the queue (it was answered).
    Request takeFirst() { return m_waiting.takeFirst(); }
    bool isEmpty() const { return m_waiting.isEmpty(); }
    qsizetype size() const { return m_waiting.size(); }
    const Request &first() const { return m_waiting.first(); }

private:
    QList<Request> m_waiting;
};

// A page's requests and the user's answers: a request with a kept answer gets it at once,
// any other waits in the queue for the bar's question; nothing is granted without one. The
// page's leaving (a load starting in its place) takes the questions away and refuses what
// waited, without keeping that answer.
class PagePermissions : public QObject
{
    Q_OBJECT
public:
    explicit PagePermissions(QWebEnginePage *page);

    // The user's answer to the question asked last; kept for the site.
    void answer(bool allow);

Q_SIGNALS:
    void question(const QString &text, int waiting);

private:
    void requested(const QUrl &origin, Feature feature);
    void askNext();

    QWebEnginePage *m_page;
    PermissionQueue m_queue;
};

} // namespace engine
