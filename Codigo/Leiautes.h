// Where the welcome dialog's controls sit, in dialog units, sized for the longer of its
// Portuguese and English texts. (The tools' dialogs carry their places in their tables.)
#pragma once

#include "forms/Forms.h"

void LayOutWelcome(forms::Form& form);
