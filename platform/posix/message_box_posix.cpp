// Message boxes on Linux: answered at the terminal, from KV_ANSWERS or with
// the cautious answer (see platform/posix/desktop_answers.h), and echoed on
// standard error as one line:
//   [message box] <caption>: <text, line breaks as \n> -> <answer>
// An answer from KV_ANSWERS that does not fit the buttons is used up, the box
// takes its cautious answer, and a line saying so comes first:
//   [answers] "yes" (KV_ANSWERS item 1) does not fit an OK box: taking OK
#include <optional>

#include "platform/desktop.h"
#include "platform/posix/desktop_answers.h"

namespace kv::desktop {
namespace {

// No for Yes/No, Cancel where there is Cancel, OK for OK alone.
Answer CautiousAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::kOk:
            return Answer::kOk;
        case Buttons::kYesNo:
            return Answer::kNo;
        case Buttons::kOkCancel:
        case Buttons::kYesNoCancel:
            return Answer::kCancel;
    }
    return Answer::kCancel;
}

bool HasYesNo(Buttons buttons) {
    return buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel;
}

bool HasOk(Buttons buttons) {
    return buttons == Buttons::kOk || buttons == Buttons::kOkCancel;
}

bool HasCancel(Buttons buttons) {
    return buttons == Buttons::kOkCancel || buttons == Buttons::kYesNoCancel;
}

// The answer meant, when it is one of the box's buttons.
std::optional<Answer> Fitting(const GivenAnswer& given, Buttons buttons) {
    switch (given.word) {
        case AnswerWord::kYes:
            if (HasYesNo(buttons)) return Answer::kYes;
            break;
        case AnswerWord::kNo:
            if (HasYesNo(buttons)) return Answer::kNo;
            break;
        case AnswerWord::kOk:
            if (HasOk(buttons)) return Answer::kOk;
            break;
        case AnswerWord::kCancel:
            if (HasCancel(buttons)) return Answer::kCancel;
            break;
        default:
            break;
    }
    return std::nullopt;
}

const char* AnswerName(Answer answer) {
    switch (answer) {
        case Answer::kOk:
            return "OK";
        case Answer::kCancel:
            return "Cancel";
        case Answer::kYes:
            return "Yes";
        case Answer::kNo:
            return "No";
        case Answer::kNone:
            break;
    }
    return "none";
}

const char* BoxName(Buttons buttons) {
    switch (buttons) {
        case Buttons::kOk:
            return "an OK box";
        case Buttons::kOkCancel:
            return "an OK/Cancel box";
        case Buttons::kYesNo:
            return "a Yes/No box";
        case Buttons::kYesNoCancel:
            return "a Yes/No/Cancel box";
    }
    return "a box";
}

const char* Choices(Buttons buttons) {
    switch (buttons) {
        case Buttons::kOk:
            return "OK (o)";
        case Buttons::kOkCancel:
            return "OK or Cancel (o/c)";
        case Buttons::kYesNo:
            return "Yes or No (y/n)";
        case Buttons::kYesNoCancel:
            return "Yes, No or Cancel (y/n/c)";
    }
    return "";
}

// What the terminal shows: the caption, the text on indented lines, the
// choices.
std::string TerminalPrompt(const std::string& text, const std::string& caption, Buttons buttons) {
    std::string prompt = "[message box] " + caption + "\n  ";
    for (char c : text) {
        if (c == '\r') continue;
        prompt += c;
        if (c == '\n') prompt += "  ";
    }
    return prompt + "\n  Answer " + Choices(buttons) + ": ";
}

Answer Ask(const std::string& text, const std::string& caption, Buttons buttons) {
    std::string prompt = TerminalPrompt(text, caption, buttons);
    for (;;) {
        GivenAnswer given = TakeAnswer(prompt);
        prompt = std::string("  Answer ") + Choices(buttons) + ": ";  // when asked again
        if (!given.given) return CautiousAnswer(buttons);
        if (std::optional<Answer> answer = Fitting(given, buttons)) return *answer;
        if (given.at_terminal) continue;  // a person may try again
        const Answer cautious = CautiousAnswer(buttons);
        EchoLine("[answers] \"" + given.written + "\" (" + given.from + ") does not fit " +
                 BoxName(buttons) + ": taking " + AnswerName(cautious));
        return cautious;
    }
}

}  // namespace

WindowHandle ActiveWindow() {
    return nullptr;
}

Answer ShowMessageBox(WindowHandle /*owner*/, const std::string& text, const std::string& caption,
                      Buttons buttons, Icon /*icon*/) {
    try {
        const Answer answer = Ask(text, caption, buttons);
        EchoLine("[message box] " + caption + ": " + OneLine(text) + " -> " + AnswerName(answer));
        return answer;
    } catch (...) {
        return CautiousAnswer(buttons);
    }
}

}  // namespace kv::desktop
