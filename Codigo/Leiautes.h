// Where each dialog's controls sit: one table per dialog, in dialog units, sized for the longer
// of its Portuguese and English texts. The dialogs' constructors apply them.
#pragma once

#include "forms/Forms.h"

void LayOutWelcome(forms::Form& form);
