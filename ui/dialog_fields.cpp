#include "base/format_text.h"
#include "base/text_table.h"
#include "ui/dialog_table.h"

int32_t ParseNumberField(std::u16string_view text) {
    text = text.substr(0, NumberFieldLimit);
    int32_t value = 0;
    int32_t place = 1;
    for (size_t i = text.size(); i-- > 0; place *= 10) {
        char16_t c = text[i];
        if (c >= u'0' && c <= u'9') value += (c - u'0') * place;
    }
    return value;
}

namespace {
int32_t ReadBound(const DialogControl& c) {
    if (!c.bound) return 0;
    return c.width == 1 ? *static_cast<const uint8_t*>(c.bound) : *static_cast<const int32_t*>(c.bound);
}

void WriteBound(const DialogControl& c, int32_t value) {
    if (!c.bound) return;
    if (c.width == 1) *static_cast<uint8_t*>(c.bound) = static_cast<uint8_t>(value & 0xFF);
    else *static_cast<int32_t*>(c.bound) = value;
}
}  // namespace

void SetControlLabels(const DialogControl* controls, DialogControls& ui) {
    if (!controls) return;
    for (const DialogControl* c = controls; c->id != 0; ++c)
        if (c->labelKey) ui.SetText(c->id, LookupText(c->labelKey));
}

void FillBoundControls(const DialogControl* controls, DialogControls& ui) {
    if (!controls) return;
    for (const DialogControl* c = controls; c->id != 0; ++c) {
        if (!c->bound) continue;
        switch (c->kind) {
        case ControlKind::CheckBox: ui.SetCheck(c->id, ReadBound(*c) ? 1 : 0); break;
        case ControlKind::ComboBox: {
            std::vector<std::u16string> texts;
            for (const char* const* key = c->choices; key && *key; ++key) texts.emplace_back(LookupText(*key));
            ui.SetChoices(c->id, texts, ReadBound(*c));
            break;
        }
        case ControlKind::NumberField: ui.SetText(c->id, FormatText(u"%d", {ReadBound(*c)})); break;
        default: break;
        }
    }
}

void SaveBoundControls(const DialogControl* controls, DialogControls& ui) {
    if (!controls) return;
    for (const DialogControl* c = controls; c->id != 0; ++c) {
        if (!c->bound) continue;
        switch (c->kind) {
        case ControlKind::CheckBox: WriteBound(*c, ui.GetCheck(c->id)); break;
        case ControlKind::ComboBox: WriteBound(*c, ui.GetSelection(c->id)); break;
        case ControlKind::NumberField: WriteBound(*c, ParseNumberField(ui.GetText(c->id, NumberFieldLimit))); break;
        default: break;
        }
    }
}
