#pragma once

#include <QObject>
#include <QString>

#include <array>

namespace settings {

// The settings window's unsaved edits of the four text settings. It lives exactly as long as
// that window: Home and Search use its texts while it exists, even before Save; closing the
// window with its own buttons drops it, and the next use starts from the stored settings.
class WorkingCopy : public QObject
{
    Q_OBJECT
public:
    enum Field { StartPage, HomePage, SearchEngine, Background, FieldCount };

    // Filled from the stored settings; becomes the current copy.
    explicit WorkingCopy(QObject *parent);
    ~WorkingCopy() override;

    // The copy while the settings window exists, else null.
    static WorkingCopy *current();

    QString text(Field field) const { return m_texts[field]; }
    void setText(Field field, const QString &text);
    // Every field from the stored settings again: unsaved edits are dropped (what each new
    // browser window's load does).
    void reset();
    // Stores the four texts as they are, start page first.
    void save();

Q_SIGNALS:
    void textChanged(settings::WorkingCopy::Field field, const QString &text);

private:
    std::array<QString, FieldCount> m_texts;
};

// The start, home and search pages as the commands use them: the working copy's while there
// is one, otherwise the stored ones.
QString StartPage();
QString HomePage();
QString SearchPage();

} // namespace settings
