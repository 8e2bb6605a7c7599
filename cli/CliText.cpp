#include "CliText.h"

#include "LanguageTable.h"

QString say(CliText id)
{
    return englishText(id);
}

QString sayWord(Word word)
{
    return text(word, Language::English);
}
