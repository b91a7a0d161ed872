// No exception crosses an export: every exported function runs its body
// through GuardedCall, which turns an escaping exception into the export's
// own failure answer.
#pragma once

namespace kv {

// Runs body and answers its result; an exception becomes failure.
template <typename Result, typename Body>
Result GuardedCall(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace kv
