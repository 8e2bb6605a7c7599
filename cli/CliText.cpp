#include "CliText.h"

#include "LanguageTable.h"

QString say(CliText id)
{
    return englishText(id);
}

QString sayWord(const char *name)
{
    return text(name, Language::English, Window::Monitor);
}
