#include "CliText.h"

#include "LanguageTable.h"

QString say(const char *name)
{
    return englishText(name, Window::Cli);
}

QString sayWord(const char *name)
{
    return englishText(name, Window::Monitor);
}
