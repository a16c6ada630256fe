#pragma once

// The binding's values as JavaScript objects, and the page's objects back as values. Texts
// cross as UTF-8 (embind's std::string) and live in the core as UTF-16.

#include <emscripten/val.h>

#include <string>
#include <string_view>

#include "web/web_dialog_layout.h"
#include "web/web_session.h"

namespace velomar {

std::u16string TextFromPage(const std::string& text);
emscripten::val TextToPage(std::u16string_view text);

WebForm FormFromPage(const emscripten::val& form);

emscripten::val ToPage(const MainView& view);
emscripten::val ToPage(const DateView& view);
emscripten::val ToPage(const PickerView& view);
emscripten::val ToPage(const FavoritesView& view);
emscripten::val ToPage(const OptionsView& view);
emscripten::val ToPage(const DetailView& view);
emscripten::val ToPage(const FormLayout& layout);
emscripten::val ToPage(const DialogLayout& layout);

}  // namespace velomar
