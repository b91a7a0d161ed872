// LibraryBinding: what both practice-library bindings (PracticeDatabase,
// PracticeUtilities) are made of: a loaded flag, the module handle and one
// entry-point pointer per slot, looked up by export name. A slot whose
// entry point the library does not export, or that has no name, stays empty.
#pragma once

#include <vector>

#include "conduit_framework/library_loader.h"
#include "platform/os.h"

namespace kv::conduit {

class LibraryBinding {
  public:
    LibraryBinding(const LibraryBinding&) = delete;
    LibraryBinding& operator=(const LibraryBinding&) = delete;

    // Loads the library from the executables directory, else by its bare
    // name; on failure shows the loader's message box and answers 0. Answers
    // 1 at once when already loaded.
    int Load();
    // Looks every named entry point up (empty when not exported); does
    // nothing without a module.
    void Bind();
    // Frees the library; loaded becomes 0 and every slot empty.
    void Release();

    bool loaded() const { return loaded_ != 0; }
    void* slot(int index) const;

  protected:
    // names: slot_count export names, nullptr for slots without one.
    LibraryBinding(const PracticeLibrary& library, const char* const* names, int slot_count);
    ~LibraryBinding();

    // Loads and binds; a failure leaves the binding empty.
    void LoadAndBind();

    template <typename Function>
    Function Entry(int index) const {
        return reinterpret_cast<Function>(slot(index));
    }

  private:
    const PracticeLibrary& library_;
    const char* const* names_;
    std::vector<void*> slots_;
    int loaded_ = 0;
    os::ModuleHandle module_ = nullptr;
};

}  // namespace kv::conduit
