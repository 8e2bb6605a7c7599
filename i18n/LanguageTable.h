// The three languages of the interface and the switch between them.
//
// Every translatable caption, hint, position, picture visibility and message
// text lives in one table, one row per target (or per numbered family of
// targets, such as the 16 channels), with one value per language.
// applyLanguage walks the table in order; applyStartTexts gives every window
// its texts at creation: the Simplified Chinese value, or a row's start text
// where the window begins with another wording than choosing Simplified
// Chinese later shows ("转速" at start, "速度" after the choice).  The
// constructors set no text the table holds.  The language itself is not
// remembered anywhere.
//
// Texts that no language changes are deliberately absent: the Language menu
// and its three items, the channel and limit-point number labels, the port
// list, the baud tab's set button bsSkinButton14, the jog-time, baud
// and ID lists, and the whole serial settings window.
#pragma once

#include "TextIds.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <span>

class QObject;
class QWidget;
struct MessageTexts;

enum class Language { SimplifiedChinese, English, TraditionalChinese };

// The windows whose texts the table holds.  The programs without windows
// have rows of their own (ProgramRow, named by the ids of TextIds.h).
enum class Window { Main, Manual, Settings, IdSet, Monitor };

enum class Property {
    Caption, // a control's text, a group box or tab title, a menu entry; "" = the window title
    Hint, // tool tip
    Left, // x position in pixels, decimal ("325")
    Visible, // "1" shown, "0" hidden
    Message, // a text of MessageTexts, named by its row (see TAVIK_MESSAGES)
    AccessibleName, // what a screen reader calls the control
    AccessibleDescription, // what a screen reader says it does
    Word, // a word or phrase that code reads with text(Word, lang) and composes; applyLanguage skips it
};

struct RowTarget {
    QString objectName;
    QString value;
};

struct LanguageRow {
    Window window;
    const char *objectName; // "" = the window itself
    Property property;
    std::array<const char *, 3> values; // indexed by Language
    const char *start = nullptr; // the text at creation, when it differs from the Simplified Chinese one
    // A numbered row stands for the objects objectName1 .. objectNameN (the
    // 16 channels, the 4 limit points), each with its number in place of %1
    // in the value.
    int numbered = 0;

    const char *value(Language lang) const { return values[std::size_t(lang)]; }
    const char *startValue() const { return start ? start : values[0]; }
    // The objects this row sets, each with what it sets there when the row's
    // value is `value` (value(lang) or startValue()).
    QList<RowTarget> targets(const char *value) const;
};

// Every row, in the order in which applyLanguage applies them.  Message rows
// belong to Window::Main, except the second GroupCaption row (Window::IdSet),
// which stores the same caption into the forced-ID window's list.
std::span<const LanguageRow> languageRows();

// A text of tavik-cli, tavik-mqtt or tavik's own command line: what the
// program prints is its English value.
struct ProgramRow {
    Program program;
    const char *name; // its id's name: CliText::CliOk is "CliOk"
    std::array<const char *, 3> values; // indexed by Language

    const char *value(Language lang) const { return values[std::size_t(lang)]; }
};

// Every program row; each id of TextIds.h has exactly one (checked when the
// table compiles).
std::span<const ProgramRow> programRows();

struct LanguageWindows {
    QWidget *mainWindow = nullptr;
    QWidget *manual = nullptr;
    QWidget *settings = nullptr;
    QWidget *forceId = nullptr;
    MessageTexts *texts = nullptr;
    QWidget *monitor = nullptr; // bus monitor (sent QEvent::LanguageChange, see applyLanguage)
};

// Rewrites the windows and the message texts in the given language.  The bus
// monitor also gets the language itself, as its "language" property (an int
// of Language), followed by a QEvent::LanguageChange: it shows decoded words
// that no caption row can reach.
// Returns the rows whose target could not be found, as "Window/objectName"
// ("Settings/bsSkinTabSheet3", "Main/ComboBox1", "Manual/(window)"); an empty
// list means every row reached its target.  Nothing else can fail.
QStringList applyLanguage(const LanguageWindows &w, Language lang);

// The texts the given windows show from their creation on: each row's start
// value (see LanguageRow::startValue), except the position of Label9 and the
// visibility rows: both keep their design-time values.  With the main window also the message rows;
// GroupCaption goes into item 0 of its ComboBox1, which is then selected.
// The forced-ID list begins with the same caption already.  Windows left
// null are left alone.  Returns the unresolved rows like applyLanguage.
QStringList applyStartTexts(const LanguageWindows &w);

// The text of a caption, hint, message or word row; an empty string when
// there is no such row.  For messages, e.g. text("MsgSelectPort", lang).
QString text(const char *objectNameOrMessage, Language lang, Window window = Window::Main);

// A program's text by its id, and what the program prints: its English.
QString text(CliText id, Language lang);
QString text(MqttText id, Language lang);
QString text(AppText id, Language lang);
QString englishText(CliText id);
QString englishText(MqttText id);
QString englishText(AppText id);

// A word the windows compose (Word rows), e.g. text(Word::MonUp, lang).
QString text(Word word, Language lang);

// The language of a command-line code, "zh_CN", "en" or "zh_TW"; nothing for
// any other text.
std::optional<Language> languageFromCode(QStringView code);

// "Main", "Manual", "Settings", "IdSet", "Monitor".
const char *windowName(Window window);
// "Cli", "Mqtt", "App": the start of each of the program's ids.
const char *programName(Program program);

// The text of MessageTexts a Message row names; nullptr for an unknown name.
QString *messageField(MessageTexts &texts, const char *name);

// Sets or reads the caption of any target the table uses: a label, a button,
// a group box, an action, a menu, a tab page (its tab's text) or a window
// (its title; only when no other kind applies).  Returns false / a null
// string for an object of another kind.
bool setCaption(QObject *target, const QString &caption);
QString captionOf(const QObject *target);
