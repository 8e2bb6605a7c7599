#include "FittedProgram.h"

#include "ScreenPlacement.h"
#include "Windows.h"

#include <QScreen>

#include <algorithm>
#include <cmath>

qreal shrinkToFit(QSize outer, QSize room)
{
    if (outer.isEmpty() || room.isEmpty())
        return 1;
    const qreal factor = std::min({1.0, qreal(room.width()) / outer.width(), qreal(room.height()) / outer.height()});
    return factor < 1 ? std::floor(factor * 100) / 100 : 1;
}

FittedProgram::FittedProgram(int argc, char *argv[])
{
    for (int i = 0; i < argc; ++i)
        m_arguments.emplace_back(argv[i]);
    makeApplication();
}

FittedProgram::~FittedProgram() = default;

void FittedProgram::makeApplication()
{
    m_argv.clear();
    for (QByteArray &argument : m_arguments)
        m_argv.push_back(argument.data());
    m_argv.push_back(nullptr);
    m_argc = int(m_arguments.size());
    m_app = std::make_unique<QApplication>(m_argc, m_argv.data());
}

Windows &FittedProgram::start(const Start &start)
{
    m_windows = start();
    const MainWindow &main = m_windows->mainWindow;
    QScreen *screen = QGuiApplication::screenAt(main.pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const qreal shrink = screen ? shrinkToFit(outerSize(main), screen->availableGeometry().size()) : 1;
    if (shrink < 1) {
        m_windows.reset();
        m_app.reset();
        // QT_SCALE_FACTOR multiplies whatever scale the screen asks for.
        bool given = false;
        const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
        m_shrink *= shrink;
        qputenv("QT_SCALE_FACTOR", QByteArray::number((given && scale > 0 ? scale : 1.0) * shrink));
        makeApplication();
        m_windows = start();
    }
    return *m_windows;
}
