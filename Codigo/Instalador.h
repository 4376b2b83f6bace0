// The welcome dialog shown when the add-in is installed.
#pragma once

#include "forms/Forms.h"
#include "xll/callconv.h"

class Tf_instalador : public forms::Form {
public:
  Tf_instalador();
  forms::Panel* Panel1;
  forms::Image* Image1;
  forms::Label* Label1;
  forms::Label* titulo1;
  forms::Label* titulo2;
  forms::Label* titulo3;
  forms::Memo* Memo1;
  forms::Button* b_ok;

  // English texts, set by the launch when English is in use.
  void UseEnglish();
};

// Shows the welcome dialog; the result byte means nothing.
KV_ENTRY(unsigned char) carrega_instalador();
