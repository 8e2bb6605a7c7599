#include "CliText.h"

#include <cstring>

namespace {

struct TextRow {
    const char *name;
    const char *text;
};

constexpr TextRow kTexts[] = {
    // --help
    {"CliHelpUsage", "Usage:"},
    {"CliHelpCommands", "Commands:"},
    {"CliHelpOptions", "Options:"},
    {"CliHelpExample", "Example:"},
    {"CliHelpOptPort", "the serial device (or TAVIK_PORT); default: the only USB serial adapter present"},
    {"CliHelpOptBaud", "auto (scan, the default) or a fixed rate 1200|2400|4800|9600|19200 (or TAVIK_BAUD)"},
    {"CliHelpOptTarget", "the motor: ID:CHANNELS; apply takes it several times; default: the motor that answers"},
    {"CliHelpOptAddress", "apply: write the profile's ID, channels and line rate too (kept without it)"},
    {"CliHelpOptDryRun", "apply: print the plan, write nothing"},
    {"CliHelpOptWatch", "status: print each change until interrupted (Ctrl-C)"},
    {"CliHelpOptJson", "print one JSON record per line, errors included"},
    {"CliHelpOptQuiet", "leave out plans and confirmations; errors and data only"},
    {"CliHelpOptLog", "append every frame and every result of the run to FILE"},
    {"CliHelpOptHelp", "show the help (of a command: COMMAND --help or help COMMAND)"},
    {"CliHelpOptVersion", "show the version"},
    {"CliHelpTarget", "TARGET is ID:CHANNELS: ID 1..99, or group / 0 for group control; CHANNELS a list like 1,3,12, "
                      "or all. One ID on one channel is confirmed by its status answer; a group or several channels "
                      "cannot answer unambiguously and is reported as sent."},
    {"CliHelpSettings", "Setting names and values (set NAME VALUE; a profile uses the same names):"},
    {"CliHelpProfile", "A profile (what read --json prints and apply takes): {\"format\": \"tavik-motor-profile\", "
                       "\"version\": 1, NAME: VALUE, ...}; numbers as JSON numbers, words as strings, functions as an "
                       "object; every setting may be left out. apply keeps a motor's ID, channels and rate unless "
                       "--address is given."},
    {"CliHelpEnvironment", "Environment: TAVIK_PORT stands for --port, TAVIK_BAUD for --baud."},
    {"CliHelpExit", "Exit codes: 0 done and confirmed (or sent, for a group or several channels); 1 a motor did not "
                    "answer or confirm; 2 usage error (nothing was sent); 3 the port could not be opened; 130 "
                    "interrupted. With several targets, the worst of them."},
    {"CliDefault", "default %1"},
    {"CliSettingDryContact", "dry-contact control mode: 0 up and down together stop (wires 3 and 4 shared), 1 one key "
                             "cycles up-stop-down-stop, 2 up again or down again stops, 3 stops when released, 4 any "
                             "key stops"},
    {"CliSettingSpeed", "the motor's maximum speed"},
    {"CliSettingFunctions", "the seven curtain switches: hand-pull start, running direction, soft start, gap at end of "
                            "travel, stop on obstacle, travel memory after power loss, hand-control synchronisation; "
                            "only the ones named change"},
    {"CliSettingJog", "jog time"},
    {"CliSettingSensitivity", "obstruction sensitivity"},
    {"CliSettingRebound", "rebound after an obstruction: none, for a time of 1..254, or unlimited"},
    {"CliSettingId", "the motor's ID and channels (after reading the motor)"},
    {"CliSettingBaud", "the motor's line rate; the read-back is at the new rate"},
    {"CliSettingForceId", "the forced ID and channel write, without reading the motor first"},
    // usage errors
    {"CliSeeHelp", "Run tavik-cli --help for every command, tavik-cli help COMMAND for one."},
    {"CliDidYouMean", "; did you mean '%1'?"},
    {"CliNoCommand", "No command given; one of: %1"},
    {"CliUnknownCommand", "Unknown command '%1'; one of: %2"},
    {"CliUnknownOption", "Unknown option '%1'"},
    {"CliMissingValue", "The option %1 needs a value"},
    {"CliMissingArgument", "The command %1 is missing an argument: %2"},
    {"CliExtraArgument", "Unexpected argument '%1': %2"},
    {"CliOptionOnlyWith", "The option %1 goes only with %2"},
    {"CliOneTarget", "%1 acts on one motor: give --target once"},
    {"CliBadNumber", "%1: '%2' is not allowed (allowed: %3)"},
    {"CliBadValue", "%1: '%2' is not allowed (allowed: %3)"},
    {"CliBadSwitch", "%1: '%2' is not allowed (allowed: %3|%4)"},
    {"CliUnknownSetting", "Unknown setting '%1'; one of: %2"},
    {"CliBadTarget", "TARGET '%1' is not ID:CHANNELS (e.g. 5:1,3 or group:all)"},
    {"CliBadTargetId", "ID: '%1' is not allowed (allowed: 1..99, group or 0)"},
    {"CliBadChannel", "CHANNELS: '%1' is not allowed (allowed: a list of 1..16 like 1,3,12, or all)"},
    {"CliOneMotor", "%1 needs one ID (1..99) and one channel, not '%2'"},
    {"CliFileUnreadable", "Cannot read %1: %2"},
    {"CliFileUnwritable", "Cannot write the log %1: %2"},
    {"CliProfileTooLarge", "not a profile: larger than %1 bytes"},
    {"CliProfileBroken", "not valid JSON (at byte %1: %2)"},
    {"CliProfileNotObject", "not a profile: a JSON object is expected"},
    {"CliProfileForeign", "not a Tavik profile: \"format\": \"%1\" and \"version\": %2 are expected"},
    {"CliProfileUnknownKey", "unknown field '%1'; the fields are format, version, channels, rate, %2"},
    {"CliProfileType", "field %1 has the wrong type: %2 expected"},
    {"CliJsonNumber", "a number"},
    {"CliJsonString", "a string"},
    {"CliJsonObject", "an object"},
    {"CliJsonChannels", "a list of channel numbers beside a numeric id"},
    // ports
    {"CliNoPorts", "No serial port found."},
    {"CliNoAdapter", "No --port given and no USB serial adapter is present. The serial ports:"},
    {"CliSeveralAdapters", "No --port given and several USB serial adapters are present. The serial ports:"},
    {"CliChoosePort", "Choose one with --port PATH (or TAVIK_PORT)."},
    {"CliUsingAdapter", "Using %1, the only USB serial adapter (%2)."},
    {"CliPortMissing", "The port %1 could not be opened: it is not there (no such device; is the adapter plugged in?)."},
    {"CliPortNotSerial", "The port %1 could not be opened: it is not a serial device."},
    {"CliPortDeniedGroup", "The port %1 could not be opened: no permission. Members of the group %2 may open it "
                           "(sudo usermod -aG %2 $USER, then log in again)."},
    {"CliPortDenied", "The port %1 could not be opened: no permission (only the user %2 may open it)."},
    {"CliPortBusy", "The port %1 could not be opened: another process holds it (fuser -v %1 shows which)."},
    {"CliPortOther", "The port %1 could not be opened: %2"},
    {"CliPortLost", "The port %1 went away (%2); what was under way is not confirmed."},
    {"CliWhere", "on %1 at %2 bps"},
    {"CliWhereScan", "on %1 at any rate from 1200 to 19200 bps"},
    {"CliOnPort", "on %1"},
    // monitor and the log
    {"CliMonitorSent", "sent"},
    {"CliMonitorReceived", "received"},
    {"CliMonitorDiscarded", "discarded"},
    {"CliMonitorPort", "port"},
    // answers
    {"CliNoBytes", "no bytes came back"},
    {"CliInvalidBytes", "bytes came back but none was a valid answer (%1 bytes: %2)"},
    {"CliNoMotor", "No motor answered %1: %2."},
    {"CliNoAnswerFrom", "Motor %1 did not answer %2: %3."},
    {"CliOtherMotor", "Motor %1 did not answer %2; %3 answered instead."},
    {"CliNoExtended", "Motor %1 did not send its extended settings %2: %3."},
    {"CliScanFound", "Motor found at %1 bps: ID %2, channels %3"},
    {"CliConfirmed", "%1 %2: confirmed on %3"},
    {"CliAllConfirmed", "%1 change(s) written and confirmed."},
    {"CliNotConfirmed", "%1 %2 was not confirmed by %3 %4: %5 read-backs did not show it"},
    {"CliIdWriteAlone", "The ID write is taken by whichever motor listens: have only this motor on the line."},
    {"CliPlanChange", "%1: %2 -> %3"},
    {"CliPlanKept", "%1: %2 kept (the profile says %3)"},
    {"CliKeptHow", "Kept: %1. A profile writes ID, channels and rate only with --address."},
    {"CliPlanSwitches", "%1: change to %2"},
    {"CliPlanNothing", "The motor already has every setting of the profile; nothing to write."},
    {"CliDryRun", "Dry run: nothing was written."},
    {"CliSent", "%1 sent twice to %2; waiting for its status answer"},
    {"CliSentUnconfirmable", "%1 sent twice to %2; a group or several channels cannot answer, so it is not confirmed"},
    {"CliConfirmedBy", "%1 %2: confirmed by its status answer"},
    {"CliNoConfirmation", "%1 went out to %2 but no status answer came back %3: %4."},
    {"CliStatusPosition", "position %1 %"},
    {"CliStatusUnknown", "position unknown"},
    {"CliStatusLimits", "limit points %1"},
    {"CliStatusNoLimits", "no limit points"},
    {"CliStatusSilent", "Motor %1 does not answer %2: %3."},
    {"CliInterrupted", "Interrupted before anything was written."},
    {"CliInterruptedCommand", "Interrupted: %1 went out to %2 and is not confirmed."},
    {"CliInterruptedWrite", "Interrupted: the %1 write went out to %2 and is not confirmed; the motor may have taken "
                            "the value. Read it back with: %3"},
    {"CliSummary", "Summary of %1: %2 done, %3 failed, %4 not tried"},
    {"CliOk", "ok"},
    {"CliFailed", "exit %1"},
    {"CliNotTried", "not tried"},
};

} // namespace

QString say(const char *name)
{
    for (const TextRow &row : kTexts)
        if (std::strcmp(row.name, name) == 0)
            return QString::fromUtf8(row.text);
    // A missing row is a programming error; show its name rather than nothing.
    return QString::fromLatin1(name);
}
