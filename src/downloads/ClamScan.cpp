#include "downloads/ClamScan.h"

#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace downloads {

namespace {

const QLatin1String kPackages("the Debian packages clamav-daemon and clamav-freshclam");

class Socket
{
public:
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // Empty when connected, else why not.
    QString connectTo(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
            return QStringLiteral("the scanner's socket address is not usable");
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0
            || ::connect(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            return QStringLiteral("the ClamAV daemon is not running at %1 (%2 provide it)")
                .arg(path, kPackages);
        return QString();
    }
    bool send(const QByteArray &bytes)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n
                = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
    // Passes `fd` along with one byte, as the daemon's FILDES command expects.
    bool sendDescriptor(int fd)
    {
        char byte = 0;
        iovec part {&byte, 1};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        msghdr message {};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
        return ::sendmsg(m_fd, &message, MSG_NOSIGNAL) == 1;
    }
    // The reply up to its terminating zero; nothing when the daemon hung up, it ran over a
    // sane size, or `stop` turned true.
    std::optional<QByteArray> reply(const std::atomic_bool *stop)
    {
        QByteArray bytes;
        for (;;) {
            if (stop && stop->load())
                return std::nullopt;
            pollfd p {m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, 250);
            if (ready < 0 && errno != EINTR)
                return std::nullopt;
            if (ready <= 0)
                continue;
            char buffer[512];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return std::nullopt;
            bytes.append(buffer, n);
            if (const qsizetype end = bytes.indexOf('\0'); end >= 0)
                return bytes.left(end);
            if (bytes.size() > 64 * 1024)
                return std::nullopt;
        }
    }

private:
    int m_fd = -1;
};

} // namespace

QString ClamdSocketPath()
{
    const QString fromEnvironment = qEnvironmentVariable("SCOUTWELL_CLAMD_SOCKET");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QFile conf(QStringLiteral("/etc/clamav/clamd.conf"));
    if (!conf.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression setting(QStringLiteral("^\\s*LocalSocket\\s+(\\S.*?)\\s*$"));
    for (int lines = 0; lines < 10000 && !conf.atEnd(); ++lines) {
        const QRegularExpressionMatch m = setting.match(QString::fromUtf8(conf.readLine(4096)));
        if (m.hasMatch())
            return m.captured(1);
    }
    return QString();
}

ScanResult ScanDescriptor(int fd, const QString &socketPath, const std::atomic_bool *stop)
{
    ScanResult result;
    if (socketPath.isEmpty()) {
        result.reason = QStringLiteral("no ClamAV daemon is set up (%1 provide it)").arg(kPackages);
        return result;
    }
    // The scanner's version and its signatures' date: "ClamAV 1.0.7/27000/Thu Dec  3 ...".
    {
        Socket s;
        if (QString why = s.connectTo(socketPath); !why.isEmpty()) {
            result.reason = why;
            return result;
        }
        if (s.send(QByteArrayLiteral("zVERSION\0"))) {
            const QString version = QString::fromUtf8(s.reply(stop).value_or(QByteArray()));
            const QStringList parts = version.split(QLatin1Char('/'));
            result.version = parts.value(0).remove(QStringLiteral("ClamAV")).trimmed();
            result.signatures = parts.value(2).simplified();
        }
    }
    Socket s;
    if (QString why = s.connectTo(socketPath); !why.isEmpty()) {
        result.reason = why;
        return result;
    }
    if (!s.send(QByteArrayLiteral("zFILDES\0")) || !s.sendDescriptor(fd)) {
        result.reason = QStringLiteral("the ClamAV daemon did not take the file");
        return result;
    }
    const std::optional<QByteArray> answer = s.reply(stop);
    if (!answer) {
        result.reason = QStringLiteral("the ClamAV daemon gave no answer");
        return result;
    }
    // "fd[10]: OK", "fd[10]: Eicar-Signature FOUND" or "fd[10]: <why> ERROR".
    const QString text = QString::fromUtf8(*answer);
    const QString verdict = text.section(QStringLiteral(": "), 1).trimmed();
    if (verdict == QLatin1String("OK")) {
        result.outcome = ScanResult::Clean;
    } else if (verdict.endsWith(QLatin1String(" FOUND"))) {
        result.outcome = ScanResult::Infected;
        result.signature = verdict.chopped(6).trimmed().left(200);
    } else {
        result.reason = QStringLiteral("the ClamAV daemon said: %1")
                            .arg(verdict.isEmpty() ? text.left(200) : verdict.left(200));
    }
    return result;
}

} // namespace downloads
