// The application and its windows, drawn at a scale at which the main window
// fits the screen it opens on.
//
// The panel is drawn at fixed device-independent sizes.  At 200 % a 1232 x
// 1168 window cannot fit a 1280 x 1024 screen, so the application is made
// again with a smaller scale factor: Qt then draws every window smaller,
// text and pictures together and at the screen's own resolution (pictures
// are made for the new ratio), and the child windows, all smaller than the
// main window, fit too.  The first application is kept when the window fits
// as it is, the usual case, which costs nothing.  The factor is the whole
// program's: on a second, larger screen the windows are drawn as small.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QSize>

#include <functional>
#include <memory>
#include <vector>

struct Windows;

// The factor (0 < factor <= 1) by which a window whose outer size is `outer`
// must be drawn smaller to fit in `room`, both in device-independent pixels;
// 1 when it fits.  Rounded down to a hundredth: the screen's size at the new
// scale is rounded to whole pixels.
qreal shrinkToFit(QSize outer, QSize room);

class FittedProgram {
public:
    // Makes the application from the command line, which is kept: Qt takes
    // its own options out of argv, and a second application needs them again.
    FittedProgram(int argc, char *argv[]);
    ~FittedProgram();

    // Sets up the application and builds the windows (the main window hidden);
    // called again under a smaller scale when the main window does not fit.
    using Start = std::function<std::unique_ptr<Windows>()>;
    Windows &start(const Start &start);

    // How much smaller than the screen's scale the windows are drawn (1: not).
    qreal shrink() const { return m_shrink; }

private:
    void makeApplication();

    std::vector<QByteArray> m_arguments;
    std::vector<char *> m_argv;
    int m_argc = 0;
    qreal m_shrink = 1;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<Windows> m_windows; // destroyed before the application
};
