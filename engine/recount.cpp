#include "engine/recount.h"

#include <initializer_list>
#include <string>

#include "engine/format_count.h"
#include "engine/text_tally.h"
#include "res/resource.h"

namespace {

SlotSink g_slotSink = nullptr;

void ShowCount(int id, Count value) { SetSlotText(id, CountText(value).c_str()); }

}  // namespace

void SetSlotSink(SlotSink sink) { g_slotSink = sink; }

void SetSlotText(int id, const wchar_t* text) {
  if (g_slotSink) g_slotSink(id, text);
}

Count TickedTotal() {
  Count total = 0.0;
  if (g_cnCharsOn) total = g_cnChars;
  if (g_cnPunctOn) total += g_cnPunct;
  if (g_enCharsOn) total += g_enChars;
  if (g_enPunctOn) total += g_enPunct;
  return total;
}

void Recount(const char* text, int rescan) {
  if (rescan) {
    TextTally tally;
    tally.AddText(text);
    tally.Publish();  // comes back here without a rescan
    return;
  }
  ShowCount(IDC_CN_CHARS_EDIT, g_cnChars);
  ShowCount(IDC_CN_PUNCT_EDIT, g_cnPunct);
  ShowCount(IDC_EN_CHARS_EDIT, g_enChars);
  ShowCount(IDC_EN_PUNCT_EDIT, g_enPunct);
  const std::wstring total = CountText(TickedTotal());
  SetSlotText(IDC_TOTAL_EDIT, total.c_str());
  SetSlotText(IDC_COMPACT_TOTAL, total.c_str());
  ShowCount(IDC_WORDS_EDIT, g_words);
  ShowCount(IDC_CHARS_NOSPACE_EDIT, g_charsNoSpace);
}

void ShowZeroResults() {
  for (int id : {IDC_CN_CHARS_EDIT, IDC_CN_PUNCT_EDIT, IDC_EN_CHARS_EDIT,
                 IDC_EN_PUNCT_EDIT, IDC_TOTAL_EDIT, IDC_COMPACT_TOTAL, IDC_WORDS_EDIT,
                 IDC_CHARS_NOSPACE_EDIT})
    SetSlotText(id, L"0");
}
