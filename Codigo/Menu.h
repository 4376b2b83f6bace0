// Command macros of the menu and toolbar that need no dialog.
#pragma once

#include "xll/callconv.h"

KV_ENTRY(short) kv_chama_exibir(); // shows or hides the toolbar and remembers the choice
KV_ENTRY(short) kv_chama_port();   // Portuguese from the next start
KV_ENTRY(short) kv_chama_ing();    // English from the next start
KV_ENTRY(short) kv_chama_ajuda();  // the help pages in a web browser
KV_ENTRY(short) kv_chama_sobre();  // the About box
