#include "skin/tokenize.h"

namespace orix {

void Tokenize(std::string_view line, std::vector<std::string>* tokens, int32_t* count,
              std::string_view separators) {
    tokens->clear();
    *count = 0;
    size_t at = line.find_first_not_of(separators);
    while (at != std::string_view::npos) {
        size_t end;
        if (line[at] == '"') {
            size_t close = line.find('"', at + 1);
            if (close == std::string_view::npos) return;
            end = close + 1;
        } else {
            end = line.find_first_of(separators, at);
            if (end == std::string_view::npos) end = line.size();
        }
        tokens->emplace_back(line.substr(at, end - at));
        ++*count;
        at = line.find_first_not_of(separators, end);
    }
}

}  // namespace orix
