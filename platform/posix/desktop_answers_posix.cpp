#include "platform/posix/desktop_answers.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <vector>

namespace kv::desktop {
namespace {

// The process's answers, kept in this one place.
struct Answers {
    std::mutex mutex;
    bool loaded = false;
    std::vector<std::string> list;
    size_t next = 0;
    bool terminal_allowed = true;
    bool terminal_ended = false;
};

Answers& TheAnswers() {
    static Answers answers;
    return answers;
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> SplitList(const char* text) {
    std::vector<std::string> items;
    std::string item;
    for (const char* p = text ? text : "";; ++p) {
        if (*p == ',' || *p == '\0') {
            item = Trim(item);
            if (!item.empty()) items.push_back(item);
            item.clear();
            if (*p == '\0') break;
        } else {
            item += *p;
        }
    }
    return items;
}

bool TerminalAnswers(const Answers& answers) {
    return answers.terminal_allowed && !answers.terminal_ended && ::isatty(STDIN_FILENO) == 1;
}

GivenAnswer AskAtTerminal(Answers& answers, const std::string& prompt) {
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string line;
    if (!std::getline(std::cin, line)) {
        answers.terminal_ended = true;
        std::fputs("\n", stderr);
        return GivenAnswer{};
    }
    GivenAnswer answer = ParseAnswer(line);
    answer.at_terminal = true;
    answer.from = "the terminal";
    return answer;
}

GivenAnswer NextFromList(Answers& answers) {
    if (!answers.loaded) {
        answers.list = SplitList(std::getenv("KV_ANSWERS"));
        answers.next = 0;
        answers.loaded = true;
    }
    if (answers.next >= answers.list.size()) return GivenAnswer{};
    const size_t index = answers.next++;
    GivenAnswer answer = ParseAnswer(answers.list[index]);
    answer.from = "KV_ANSWERS item " + std::to_string(index + 1);
    return answer;
}

}  // namespace

void RestartAnswers() {
    Answers& answers = TheAnswers();
    std::lock_guard<std::mutex> lock(answers.mutex);
    answers.loaded = false;
    answers.list.clear();
    answers.next = 0;
    answers.terminal_ended = false;
}

void AllowTerminalAnswers(bool allowed) {
    Answers& answers = TheAnswers();
    std::lock_guard<std::mutex> lock(answers.mutex);
    answers.terminal_allowed = allowed;
}

GivenAnswer ParseAnswer(const std::string& written) {
    GivenAnswer answer;
    answer.given = true;
    answer.written = Trim(written);
    const std::string word = Lower(answer.written);
    if (word == "yes" || word == "y") {
        answer.word = AnswerWord::kYes;
    } else if (word == "no" || word == "n") {
        answer.word = AnswerWord::kNo;
    } else if (word == "ok" || word == "o") {
        answer.word = AnswerWord::kOk;
    } else if (word == "cancel" || word == "c") {
        answer.word = AnswerWord::kCancel;
    } else if (word.compare(0, 5, "pick:") == 0) {
        answer.word = AnswerWord::kPick;
        answer.pick = Trim(answer.written.substr(5));
    }
    return answer;
}

GivenAnswer TakeAnswer(const std::string& prompt) {
    Answers& answers = TheAnswers();
    std::lock_guard<std::mutex> lock(answers.mutex);
    if (TerminalAnswers(answers)) return AskAtTerminal(answers, prompt);
    return NextFromList(answers);
}

void EchoLine(const std::string& line) {
    std::string out = line + "\n";
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
}

std::string OneLine(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\n";
        } else if (text[i] == '\n') {
            out += "\\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace kv::desktop
