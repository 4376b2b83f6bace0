#include "Instalador.h"

#include "Configuracao.h"
#include "Kavenlor.h"
#include "Leiautes.h"
#include "Tabelas.h"
#include "Textos.h"
#include "kvplatform/bitmap.h"
#include "xll/Firewall.h"

namespace {
const char* const kTermsPt[] = {
    "TERMOS DE USO DO KAVENLOR",
    "",
    "O KAVENLOR é fornecido no estado em que se encontra, sem garantias de qualquer espécie. "
    "Os resultados dos cálculos devem ser conferidos pelo usuário antes de qualquer decisão "
    "de investimento.",
    "É permitido instalar e usar o suplemento em qualquer número de computadores. Não é "
    "permitido alterar, descompilar ou redistribuir o suplemento sem autorização por escrito.",
    "Em nenhuma hipótese a Corvane Lathi será responsável por perdas decorrentes do uso do "
    "suplemento.",
    "Todos os direitos reservados © Corvane Lathi."};
const char* const kTermsEn[] = {
    "KAVENLOR TERMS OF USE",
    "",
    "KAVENLOR is provided as is, without warranty of any kind. Users must check the results of "
    "the calculations before any investment decision.",
    "You may install and use the add-in on any number of computers. You may not modify, "
    "decompile or redistribute the add-in without written permission.",
    "In no event shall Corvane Lathi be liable for losses arising from the use of the add-in.",
    "All rights reserved © Corvane Lathi."};
} // namespace

Tf_instalador::Tf_instalador() : Form("Kavenlor - Cálculos para Mercado Financeiro") {
  Panel1 = Add<forms::Panel>("Panel1");
  Panel1->ControlColor = forms::clWhite;
  Image1 = Add<forms::Image>("Image1");
  Image1->Stretch = true;
  Label1 = Add<forms::Label>("Label1");
  Label1->Caption = "Corvane Lathi";
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Bold = true;
  titulo1->Caption = "Você está instalando o suplemento dinâmico KAVENLOR da Corvane Lathi.";
  titulo2 = Add<forms::Label>("titulo2");
  titulo2->Caption =
      "Este suplemento adicionará uma nova categoria chamada Kavenlor às funções de planilha do "
      "Microsoft Excel. Esta categoria terá todas as funções deste suplemento que podem ser "
      "usadas nas planilhas do Excel.";
  titulo3 = Add<forms::Label>("titulo3");
  titulo3->Caption = "Termos de uso:";
  Memo1 = Add<forms::Memo>("Memo1");
  Memo1->Lines.assign(std::begin(kTermsPt), std::end(kTermsPt));
  b_ok = Add<forms::Button>("b_ok");
  b_ok->Caption = "OK";
  b_ok->Result = forms::ModalResult::Ok;
  b_ok->Default = true;
  try { // the picture is decoration: without its file the dialog still shows
    Image1->Picture = kvp::LoadJpegFile(std::string(InstallFolder) + "img\\welcome.jpg");
  } catch (...) {
  }
  LayOutWelcome(*this);
}

void Tf_instalador::UseEnglish() {
  Caption = "Kavenlor - Metrics for Financial Market";
  titulo1->Caption = "You are about to install KAVENLOR dynamic add-in from Corvane Lathi.";
  titulo2->Caption =
      "This add-in will add a new category called Kavenlor in Microsoft Excel worksheet "
      "functions. This category will have all functions available in this add-in that can be "
      "accessed from Excel worksheets.";
  titulo3->Caption = "Terms of use:";
  Memo1->Lines.clear();
  for (const char* line : kTermsEn)
    Memo1->Lines.emplace_back(line);
}

KV_ENTRY(unsigned char) carrega_instalador() {
  return Guarded("carrega_instalador", 0, [] {
    Tf_instalador dialog; // no owner: the installer may run before Excel has a window
    if (CurrentLanguage != Language::Portuguese) dialog.UseEnglish();
    dialog.ShowModal(ExcelMainWindow);
    return 0;
  });
}
