#include "dialog_catalogue.h"

#include "Arch/Arch.h"
#include "Cmp/Cmp.h"
#include "Decay/Decay.h"
#include "Histograma/Histograma.h"
#include "Ica/Ica.h"
#include "Instalador.h"
#include "Pca/Pca.h"
#include "Rlm/Rlm.h"

namespace {
// Builds D, switches it to English when asked, then applies the launch's defaults.
template <class D, class Defaults>
std::function<std::unique_ptr<forms::Form>(bool)> Maker(Defaults defaults) {
  return [defaults](bool english) -> std::unique_ptr<forms::Form> {
    auto dialog = std::make_unique<D>();
    if (english) dialog->UseEnglish();
    defaults(*dialog);
    return dialog;
  };
}
} // namespace

std::vector<DialogCase> AllDialogs() {
  return {
      {"welcome", Maker<Tf_instalador>([](Tf_instalador&) {})},
      {"histogram", Maker<Tf_hist>([](Tf_hist& d) { d.SetDefaults(120); })},
      {"comparison", Maker<Tf_cmp>([](Tf_cmp&) {})},
      {"pca", Maker<Tf_pca>([](Tf_pca& d) { d.SetDefaults(false); })},
      {"ica", Maker<Tf_ica>([](Tf_ica& d) { d.SetDefaults(4); })},
      {"regression", Maker<Tf_rlm>([](Tf_rlm& d) { d.SetDefaults(3); })},
      {"decay", Maker<Tf_decay>([](Tf_decay& d) { d.SetDefaults(); })},
      {"arch", Maker<Tf_arch>([](Tf_arch& d) { d.SetDefaults(100); })},
  };
}
