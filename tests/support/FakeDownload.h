#pragma once

#include "engine/Download.h"

// A download the test moves along by hand; when it finishes, the file is whatever the test
// wrote at its path.
class FakeDownload : public engine::Download
{
    Q_OBJECT
public:
    FakeDownload(const QString &url, const QString &path, qint64 total)
        : m_url(url), m_path(path), m_total(total)
    {
    }

    QString url() const override { return m_url; }
    QString path() const override { return m_path; }
    qint64 receivedBytes() const override { return m_received; }
    qint64 totalBytes() const override { return m_total; }
    State state() const override { return m_state; }
    QString failReason() const override { return m_reason; }
    void pause() override { move(Paused); }
    void resume() override { move(Running); }
    void cancel() override { move(Cancelled); }

    void setTotal(qint64 total) { m_total = total; }
    void arrive(qint64 bytes) { move(m_state, bytes); }
    void finish() { move(Finished, m_total); }
    void fail(const QString &reason) { m_reason = reason, move(Failed); }

private:
    void move(State s, qint64 received = -1)
    {
        m_state = s;
        m_received = received < 0 ? m_received : received;
        Q_EMIT changed();
    }

    QString m_url, m_path, m_reason;
    qint64 m_total, m_received = 0;
    State m_state = Running;
};
