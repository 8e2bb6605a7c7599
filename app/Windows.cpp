#include "Windows.h"

#include "LanguageTable.h"
#include "ScreenPlacement.h"

Windows::Windows(const QStringList &extraPorts)
    : Form1(extraPorts),
      state(Form1.link().state()),
      Form2(&Form1),
      SetForm(Form1.link(), &Form1, Form1.ComboBox1()),
      IDSetForm(Form1.link(), &Form1, Form1.ComboBox1()),
      Form3(Form1.link(), &Form1),
      Monitor(&Form1)
{
    // The main window took its texts while it was being created.
    ApplyStartTexts(LanguageWindows {nullptr, &Form2, &SetForm, &IDSetForm, nullptr});
    Form1.attachWindows(&Form2, &SetForm, &IDSetForm, &Form3);
    Form1.attachMonitor(&Monitor);
    Monitor.listen(&Form1.link());
    placeOnScreen(&Form1, {622, 193});
}
