// How the volatility tools' sheets tell the way a historic series was taken (its treatment and
// its order); the series itself is prepared by serie_historica (Funcoes/Retornos.h).
#pragma once

#include "Dialogo.h"
#include "Funcoes/Retornos.h"

// "Dados históricos diretamente utilizados", "Utilizados os retornos dos dados", ...
const BilingualText& TreatmentText(Tratamento treatment);
// The order of the data as read: oldest first, or newest first (reversed).
const BilingualText& OrderText(bool reversed);
