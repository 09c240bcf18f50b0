#include "settings/WorkingCopy.h"

#include "settings/ProgramSettings.h"

#include <QPointer>

namespace settings {

namespace {

QPointer<WorkingCopy> &currentCopy()
{
    static QPointer<WorkingCopy> copy;
    return copy;
}

// The stored setting behind each field, with the default its readers pass.
Setting &stored(WorkingCopy::Field field)
{
    ProgramSettings &p = Program();
    Setting *const settings[] = {&p.startPage, &p.homePage, &p.searchEngine, &p.background};
    return *settings[field];
}

QString storedText(WorkingCopy::Field field)
{
    return stored(field).value(
        field == WorkingCopy::SearchEngine ? ProgramSettings::defaultSearchEngine() : QString());
}

QString textOf(WorkingCopy::Field field)
{
    if (WorkingCopy *copy = WorkingCopy::current())
        return copy->text(field);
    return storedText(field);
}

} // namespace

WorkingCopy::WorkingCopy(QObject *parent) : QObject(parent)
{
    for (int f = 0; f < FieldCount; ++f)
        m_texts[f] = storedText(Field(f));
    currentCopy() = this;
}

WorkingCopy::~WorkingCopy()
{
    if (currentCopy() == this)
        currentCopy() = nullptr;
}

WorkingCopy *WorkingCopy::current()
{
    return currentCopy();
}

void WorkingCopy::setText(Field field, const QString &text)
{
    if (m_texts[field] == text)
        return;
    m_texts[field] = text;
    Q_EMIT textChanged(field, text);
}

void WorkingCopy::reset()
{
    for (int f = 0; f < FieldCount; ++f)
        setText(Field(f), storedText(Field(f)));
}

void WorkingCopy::save()
{
    for (int f = 0; f < FieldCount; ++f)
        stored(Field(f)).setValue(m_texts[f]);
}

QString StartPage()
{
    return textOf(WorkingCopy::StartPage);
}

QString HomePage()
{
    return textOf(WorkingCopy::HomePage);
}

QString SearchPage()
{
    return textOf(WorkingCopy::SearchEngine);
}

} // namespace settings
