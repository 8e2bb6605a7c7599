// `tavik-cli scan --all`: every motor on the line, one line (or one `scan`
// record) each, then a summary; progress on stderr when it is a terminal.
#pragma once

#include <QList>
#include <QString>

struct Request;
class Output;

// "12" or "1-10", within 1..99.  false with a message otherwise.
bool parseIdRange(const QString &text, int &first, int &last, QString &error);
// "1-3", "1,3,5-8": channels 1..16, each once, in the order given.
bool parseChannelList(const QString &text, QList<int> &channels, QString &error);

// Runs the inventory to its end, Ctrl-C or SIGTERM; returns the exit code:
// 0 motors found, 1 none (or the port went away), 3 the port did not open,
// 130 / 143 interrupted.
int runInventory(const Request &request, Output &output);
