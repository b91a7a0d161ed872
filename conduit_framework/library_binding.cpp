#include "conduit_framework/library_binding.h"

namespace kv::conduit {

LibraryBinding::LibraryBinding(const PracticeLibrary& library, const char* const* names,
                               int slot_count)
    : library_(library), names_(names), slots_(static_cast<size_t>(slot_count), nullptr) {}

LibraryBinding::~LibraryBinding() {
    Release();
}

void LibraryBinding::LoadAndBind() {
    try {
        Load();
        Bind();
    } catch (...) {
        // Left empty: every forwarding function then answers 0.
    }
}

int LibraryBinding::Load() {
    if (loaded_) return 1;
    module_ = LoadPracticeLibrary(library_);
    if (!module_) return 0;
    loaded_ = 1;
    return 1;
}

void LibraryBinding::Bind() {
    if (!module_) return;
    for (size_t i = 0; i < slots_.size(); ++i)
        slots_[i] = names_[i] ? os::FindSymbol(module_, names_[i]) : nullptr;
}

void LibraryBinding::Release() {
    if (!loaded_) return;
    os::FreeModule(module_);
    module_ = nullptr;
    loaded_ = 0;
    for (void*& slot : slots_) slot = nullptr;
}

void* LibraryBinding::slot(int index) const {
    return index >= 0 && static_cast<size_t>(index) < slots_.size()
               ? slots_[static_cast<size_t>(index)]
               : nullptr;
}

}  // namespace kv::conduit
