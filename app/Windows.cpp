#include "Windows.h"

#include "ScreenPlacement.h"

Windows::Windows(const QStringList &extraPorts)
    : Form1(extraPorts),
      state(Form1.link().state()),
      Form2(&Form1),
      SetForm(Form1.link(), &Form1, Form1.ComboBox1()),
      IDSetForm(Form1.link(), &Form1, Form1.ComboBox1()),
      Form3(Form1.link(), &Form1)
{
    Form1.attachWindows(&Form2, &SetForm, &IDSetForm, &Form3);
    placeOnScreen(&Form1, {622, 193});
}
