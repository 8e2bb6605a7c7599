#include "CliText.h"

#include "LanguageTable.h"

QString say(const char *name)
{
    const QString found = text(name, Language::English, Window::Cli);
    // A missing row is a programming error; show its name rather than nothing.
    return found.isEmpty() ? QString::fromLatin1(name) : found;
}
