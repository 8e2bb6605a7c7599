#include "Windows.h"

#include "ScreenPlacement.h"

Windows::Windows(const QStringList &extraPorts)
    : Form1(state, extraPorts),
      Form2(&Form1),
      SetForm(state, Form1.Comm1(), &Form1, Form1.ComboBox1()),
      IDSetForm(state, Form1.Comm1(), &Form1, Form1.ComboBox1()),
      Form3(state, Form1.Comm1(), &Form1),
      Monitor(&Form1)
{
    Form1.attachWindows(&Form2, &SetForm, &IDSetForm, &Form3);
    Form1.attachMonitor(&Monitor);
    placeOnScreen(&Form1, {622, 193});
}
