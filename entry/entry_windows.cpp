#include "entry/entry_windows.h"

#include <stdexcept>
#include <string>

#include "entry/dxkjy.h"
#include "entry/fhq.h"
#include "entry/gjwsb.h"
#include "entry/gjxm_window.h"
#include "entry/kfq_window.h"
#include "entry/kfqzh.h"
#include "entry/rjjd.h"
#include "entry/sjgxq.h"
#include "entry/tsjd.h"
#include "entry/tzjg.h"

namespace veltra::entry {

std::unique_ptr<ui::Form> CreateEntryWindow(std::string_view window, mainunit::MainUnit& main,
                                            mainunit::Prompts& prompts) {
  if (window == "TF_kfq") return std::make_unique<TF_kfq>(main, prompts);
  if (window == "TF_fhq") return std::make_unique<TF_fhq>(main, prompts);
  if (window == "TF_dxkjy") return std::make_unique<TF_dxkjy>(main, prompts);
  if (window == "TF_rjjd") return std::make_unique<TF_rjjd>(main, prompts);
  if (window == "TF_kfqzh") return std::make_unique<TF_kfqzh>(main, prompts);
  if (window == "TF_gjxm") return std::make_unique<TF_gjxm>(main, prompts);
  if (window == "TF_gjwsb") return std::make_unique<TF_gjwsb>(main, prompts);
  if (window == "TF_tzjg") return std::make_unique<TF_tzjg>(main, prompts);
  if (window == "TF_tsjd") return std::make_unique<TF_tsjd>(main, prompts);
  if (window == "TF_sjgxq") return std::make_unique<TF_sjgxq>(main, prompts);
  throw std::logic_error("no entry window named " + std::string(window));
}

}  // namespace veltra::entry
