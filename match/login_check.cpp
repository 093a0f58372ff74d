#include "login_check.h"

#include "utf8_text.h"

#include <string_view>

namespace skerrow {

namespace {

// What is wrong with an id or a name, as a remark reads it ("the name ...").
std::optional<std::string> WordFault(std::string_view what, std::string_view word) {
    if (word.size() > kMaxNameBytes) {
        return std::string(what) + " is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    }
    while (!word.empty()) {
        const std::size_t length = Utf8SequenceLength(word);
        if (length == 0) {
            return std::string(what) + " is not UTF-8";
        }
        if (IsControlCharacter(word.substr(0, length))) {
            return std::string(what) + " has a control character";
        }
        word.remove_prefix(length);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> LoginFault(const Login& login) {
    if (std::optional<std::string> fault = WordFault("the id", login.id)) {
        return fault;
    }
    return WordFault("the name", login.name);
}

} // namespace skerrow
