// The program's five windows and the state they share, created once in
// their fixed order and kept until the program ends.
#pragma once

#include "Comm_Set.h"
#include "FeatureSet.h"
#include "IDAndChannelSet.h"
#include "SharedState.h"
#include "Tavik_Control.h"
#include "user_manual.h"

#include <QStringList>

struct Windows {
    explicit Windows(const QStringList &extraPorts = {});

    TForm1 Form1;
    SharedState &state; // the main window's motor link holds it
    TForm2 Form2;
    TSetForm SetForm;
    TIDSetForm IDSetForm;
    TForm3 Form3;
};
