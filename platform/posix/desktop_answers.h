// Where the desktop's answers come from on Linux, for message boxes and
// dialogs alike: the terminal when standard input is one, else the next item
// of KV_ANSWERS, else none (the box or dialog then takes its cautious
// answer). The list is read on first use and taken in order by every module
// of the process; kvdesktop is one shared library so that there is one list.
//
// KV_ANSWERS is a comma-separated list of yes, no, ok, cancel and
// pick:<item text prefix or 1-based index>; words ignore case, blanks around
// items are ignored and empty items are skipped. An item taken is used up,
// whether it fits the box it meets or not.
#pragma once

#include <string>

namespace kv::desktop {

// Starts the answers over: the next box reads KV_ANSWERS afresh and takes its
// first item.
void RestartAnswers();

// Whether a terminal on standard input answers (true unless turned off).
// Tests turn it off so that a run started at a terminal never waits.
void AllowTerminalAnswers(bool allowed);

// ---- For the message boxes and dialogs of this library ----

enum class AnswerWord { kYes, kNo, kOk, kCancel, kPick, kOther };

struct GivenAnswer {
    bool given = false;        // false: no answer (the cautious answer applies)
    bool at_terminal = false;  // typed at the terminal (may be asked again)
    AnswerWord word = AnswerWord::kOther;
    std::string pick;     // kPick: the text after "pick:"
    std::string written;  // the answer as written, trimmed
    std::string from;     // where it came from, for messages: "KV_ANSWERS item 2"
};

// Reads an answer as written: the words, also as their first letter (y, n,
// o, c), and "pick:...".
GivenAnswer ParseAnswer(const std::string& written);

// The next answer. At the terminal, prompt is written to standard error
// first; end of input there means no answer, now and for every later box.
GivenAnswer TakeAnswer(const std::string& prompt);

// Writes one line to standard error (the echo of a box or dialog).
void EchoLine(const std::string& line);

// text on one line: each line break (CR LF, LF or CR) becomes "\n".
std::string OneLine(const std::string& text);

}  // namespace kv::desktop
