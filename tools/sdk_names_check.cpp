// Build tool: holds sdk/ and the module's sources to the published SDK's names and headers, from
// two facts files (published-names.tsv: every top-level name with the header that declares it;
// published-headers.tsv: each header's guard, includes and #error lines), so that a module that
// builds against sdk/ builds unchanged against the published Headers folder.
//
// sdk/: every header is a published one (same name and folder), with its guard, the includes the
// published one has among those sdk/ holds, in order, and its #error lines; every name it
// declares, the published header declares too.
// The module: every published name a source uses is declared by sdk/, and reached through what
// the source includes (its own headers followed, then the published include chain); it defines
// no published name; it uses no name sdk/ declares that the published SDK lacks; it includes no
// header that only its published parent may include.
//
// On success writes, for each sdk/ header, OUT/<header>.cpp: the header alone (or the parent that
// includes it) and every name the module takes from it, for the compiler to confirm.
//
// The scanner reads sdk/ as written there: guards, `#define`, `typedef ... NAME;`, `struct NAME {`,
// `enum { ... }`, `class NAME`, prototypes; comments and strings are skipped.
//
// Usage: sdk_names_check NAMES.tsv HEADERS.tsv SDK_DIR SOURCE_ROOT OUT_DIR SOURCE...
//        (OUT_DIR "-" writes nothing; each SOURCE lies under SOURCE_ROOT)

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------------
// Reading C and C++ text

struct Token {
    enum Kind { Identifier, Punctuation, String, Other } kind;
    std::string text;
    int line;
};

struct Directive {
    std::string name; // "include", "define", "error"...
    std::vector<Token> tokens;
    std::string rest; // the text after the directive's name
    int line;
};

struct Text {
    std::vector<Token> code;
    std::vector<Directive> directives;
};

bool isIdentifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Comments become spaces (their line breaks kept) and raw strings empty strings, so that the
// rest can be read a line at a time.
std::string withoutComments(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const char c = in[i];
        if (c == '/' && i + 1 < in.size() && in[i + 1] == '/') {
            while (i < in.size() && in[i] != '\n') {
                // A comment continued by a backslash goes on.
                if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] == '\n') {
                    out += '\n';
                    i += 2;
                    continue;
                }
                ++i;
            }
        } else if (c == '/' && i + 1 < in.size() && in[i + 1] == '*') {
            i += 2;
            while (i < in.size() && !(in[i] == '*' && i + 1 < in.size() && in[i + 1] == '/')) {
                out += in[i] == '\n' ? '\n' : ' ';
                ++i;
            }
            i += 2;
            out += ' ';
        } else if (c == 'R' && i + 1 < in.size() && in[i + 1] == '"' &&
                   (i == 0 || !isIdentifierChar(in[i - 1]))) {
            const std::size_t open = in.find('(', i + 2);
            const std::string close = ")" + in.substr(i + 2, open - i - 2) + "\"";
            const std::size_t end = open == std::string::npos ? open : in.find(close, open);
            const std::size_t stop = end == std::string::npos ? in.size() : end + close.size();
            out += "\"\"";
            out.append(
                static_cast<std::size_t>(std::count(in.begin() + i, in.begin() + stop, '\n')),
                '\n');
            i = stop;
        } else if (c == '"' || (c == '\'' && (i == 0 || !isIdentifierChar(in[i - 1])))) {
            out += c;
            ++i;
            while (i < in.size() && in[i] != c && in[i] != '\n') {
                if (in[i] == '\\' && i + 1 < in.size()) {
                    out += in[i++];
                }
                out += in[i++];
            }
            if (i < in.size() && in[i] == c) {
                out += in[i++];
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

void tokenize(const std::string& line, int number, std::vector<Token>& out) {
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (isIdentifierStart(c)) {
            std::size_t j = i;
            while (j < line.size() && isIdentifierChar(line[j])) {
                ++j;
            }
            out.push_back({Token::Identifier, line.substr(i, j - i), number});
            i = j;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < line.size() &&
                   (isIdentifierChar(line[j]) || line[j] == '.' || line[j] == '\'')) {
                ++j;
            }
            out.push_back({Token::Other, line.substr(i, j - i), number});
            i = j;
        } else if (c == '"' || c == '\'') {
            std::size_t j = i + 1;
            std::string text;
            while (j < line.size() && line[j] != c) {
                if (line[j] == '\\' && j + 1 < line.size()) {
                    ++j;
                }
                text += line[j++];
            }
            out.push_back({c == '"' ? Token::String : Token::Other, text, number});
            i = j + 1;
        } else if ((c == ':' || c == '-') && i + 1 < line.size() &&
                   line[i + 1] == (c == ':' ? ':' : '>')) {
            out.push_back({Token::Punctuation, line.substr(i, 2), number});
            i += 2;
        } else {
            out.push_back({Token::Punctuation, std::string(1, c), number});
            ++i;
        }
    }
}

Text read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = withoutComments(buffer.str());

    Text result;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const int first = number;
        while (!line.empty() && (line.back() == '\\' || line.back() == '\r')) {
            const bool continued = line.back() == '\\';
            line.pop_back();
            std::string next;
            if (continued && std::getline(lines, next)) {
                ++number;
                line += ' ' + next;
            }
        }
        const std::size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line[start] == '#') {
            Directive d;
            d.line = first;
            std::size_t at = line.find_first_not_of(" \t", start + 1);
            std::size_t end = at;
            while (end < line.size() && isIdentifierChar(line[end])) {
                ++end;
            }
            d.name = at == std::string::npos ? "" : line.substr(at, end - at);
            d.rest = end >= line.size() ? "" : line.substr(end);
            d.rest.erase(0, std::min(d.rest.size(), d.rest.find_first_not_of(" \t")));
            while (!d.rest.empty() && std::isspace(static_cast<unsigned char>(d.rest.back()))) {
                d.rest.pop_back();
            }
            tokenize(d.rest, first, d.tokens);
            result.directives.push_back(std::move(d));
        } else {
            tokenize(line, first, result.code);
        }
    }
    return result;
}

// The header an include names, as written between quotes or angle brackets.
std::string includedName(const Directive& d) {
    const std::string& r = d.rest;
    if (r.size() >= 2 && (r[0] == '"' || r[0] == '<')) {
        const std::size_t close = r.find(r[0] == '"' ? '"' : '>', 1);
        if (close != std::string::npos) {
            return r.substr(1, close - 1);
        }
    }
    return "";
}

// ---------------------------------------------------------------------------------------------
// The published facts

struct PublishedHeader {
    std::string guard;                 // "(none)" where it has none
    std::vector<std::string> includes; // as written, in order
    std::set<std::string> errors;      // the text of its #error lines
};

struct Published {
    std::map<std::string, std::set<std::pair<std::string, std::string>>> names; // kind, header
    std::map<std::string, PublishedHeader> headers;
    std::map<std::string, std::vector<std::string>> resolvedIncludes;
    std::map<std::string, std::set<std::string>> parents; // of headers with no guard

    bool isHeader(const std::string& h) const { return headers.count(h) != 0; }

    // Where the published header `from` finds `spelled`: beside itself, in the Headers folder or
    // in its SP folder, the two folders a project puts on its include path.
    std::string resolve(const std::string& from, const std::string& spelled) const {
        const std::string dir = fs::path(from).parent_path().generic_string();
        for (const std::string& candidate :
             {dir.empty() ? spelled : dir + "/" + spelled, spelled, "SP/" + spelled}) {
            if (isHeader(candidate)) {
                return candidate;
            }
        }
        return "";
    }

    bool isPart(const std::string& h) const { return parents.count(h) != 0; }

    std::set<std::string> closure(const std::string& h) const {
        std::set<std::string> seen;
        std::vector<std::string> todo{h};
        while (!todo.empty()) {
            const std::string next = todo.back();
            todo.pop_back();
            if (!seen.insert(next).second) {
                continue;
            }
            const auto found = resolvedIncludes.find(next);
            if (found != resolvedIncludes.end()) {
                todo.insert(todo.end(), found->second.begin(), found->second.end());
            }
        }
        return seen;
    }

    std::string headersOf(const std::string& name) const {
        std::set<std::string> hs;
        for (const auto& [kind, header] : names.at(name)) {
            hs.insert(header);
        }
        std::string out;
        for (const std::string& h : hs) {
            out += (out.empty() ? "" : " and ") + h;
        }
        return out;
    }
};

std::vector<std::vector<std::string>> readTable(const fs::path& file, std::size_t columns) {
    std::ifstream in(file);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    std::vector<std::vector<std::string>> rows;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> row;
        std::size_t at = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', at);
            row.push_back(line.substr(at, tab == std::string::npos ? tab : tab - at));
            if (tab == std::string::npos) {
                break;
            }
            at = tab + 1;
        }
        row.resize(std::max(row.size(), columns));
        if (row.size() != columns || row[0].empty()) {
            throw std::runtime_error(file.string() + ":" + std::to_string(number) + ": expected " +
                                     std::to_string(columns) + " tab-separated columns");
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

std::string unquoted(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.pop_back();
    }
    s.erase(0, std::min(s.size(), s.find_first_not_of(" \t")));
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
        s = s.substr(1, s.size() - 2);
    }
    return s;
}

Published readPublished(const fs::path& names, const fs::path& headers) {
    Published p;
    for (const auto& row : readTable(names, 3)) {
        p.names[row[0]].insert({row[1], row[2]});
    }
    for (const auto& row : readTable(headers, 4)) {
        PublishedHeader h;
        h.guard = row[1];
        h.includes = words(row[2]);
        std::size_t at = 0;
        while (!row[3].empty() && at != std::string::npos) {
            const std::size_t bar = row[3].find(" | ", at);
            const std::string error =
                unquoted(row[3].substr(at, bar == std::string::npos ? bar : bar - at));
            if (!error.empty()) {
                h.errors.insert(error);
            }
            at = bar == std::string::npos ? bar : bar + 3;
        }
        p.headers[row[0]] = h;
    }
    for (const auto& [name, header] : p.headers) {
        for (const std::string& spelled : header.includes) {
            const std::string to = p.resolve(name, spelled);
            if (!to.empty()) {
                p.resolvedIncludes[name].push_back(to);
            }
        }
    }
    for (const auto& [name, includes] : p.resolvedIncludes) {
        for (const std::string& to : includes) {
            if (p.headers.at(to).guard == "(none)") {
                p.parents[to].insert(name);
            }
        }
    }
    return p;
}

// ---------------------------------------------------------------------------------------------
// What a header declares at file scope

struct Declaration {
    std::string name, kind;
    int line;
};

bool isRecordKeyword(const std::string& t) {
    return t == "struct" || t == "union" || t == "class" || t == "enum";
}

// The name a declarator declares: `(*NAME)(...)`, or its last identifier before any `[` or `(`.
std::string declaratorName(const std::vector<Token>& tokens, std::size_t from, std::size_t to) {
    std::string name;
    for (std::size_t i = from; i < to; ++i) {
        const Token& t = tokens[i];
        if (t.text == "(" && i + 1 < to && tokens[i + 1].text == "*") {
            for (std::size_t j = i + 1; j < to && tokens[j].text != ")"; ++j) {
                if (tokens[j].kind == Token::Identifier) {
                    return tokens[j].text;
                }
            }
        }
        if (t.text == "[" || t.text == "(") {
            break;
        }
        if (t.kind == Token::Identifier) {
            name = t.text;
        }
    }
    return name;
}

// Enumerators between the braces at tokens[open] and tokens[close].
void enumerators(const std::vector<Token>& tokens, std::size_t open, std::size_t close,
                 std::vector<Declaration>& out) {
    int depth = 0;
    bool expectName = true;
    for (std::size_t i = open + 1; i < close; ++i) {
        const std::string& t = tokens[i].text;
        if (t == "(" || t == "{" || t == "[") {
            ++depth;
        } else if (t == ")" || t == "}" || t == "]") {
            --depth;
        } else if (depth == 0 && t == ",") {
            expectName = true;
        } else if (expectName && tokens[i].kind == Token::Identifier) {
            out.push_back({t, "enumerator", tokens[i].line});
            expectName = false;
        }
    }
}

std::vector<Declaration> declarations(const Text& text) {
    std::vector<Declaration> out;
    for (const Directive& d : text.directives) {
        if (d.name == "define" && !d.tokens.empty()) {
            out.push_back({d.tokens[0].text, "macro", d.line});
        }
    }
    const std::vector<Token>& t = text.code;
    std::size_t start = 0;
    while (start < t.size()) {
        // `extern "C" {` and its closing brace hold declarations of file scope.
        if (t[start].text == "}") {
            ++start;
            continue;
        }
        if (t[start].text == "extern" && start + 2 < t.size() &&
            t[start + 1].kind == Token::String && t[start + 2].text == "{") {
            start += 3;
            continue;
        }
        // One file-scope declaration: up to a `;` outside braces, or a function body's `}`.
        std::size_t end = start;
        std::vector<std::pair<std::size_t, std::size_t>> bodies; // outermost braces
        int depth = 0;
        std::size_t open = 0;
        bool function = false;
        for (; end < t.size(); ++end) {
            const std::string& s = t[end].text;
            if (s == "{") {
                if (depth++ == 0) {
                    open = end;
                }
            } else if (s == "}" && depth > 0) {
                if (--depth == 0) {
                    bodies.push_back({open, end});
                    bool keyword = false, paren = false;
                    for (std::size_t i = start; i < open; ++i) {
                        keyword = keyword || isRecordKeyword(t[i].text) || t[i].text == "typedef" ||
                                  t[i].text == "=";
                        paren = paren || t[i].text == "(";
                    }
                    if (paren && !keyword) {
                        function = true;
                        break;
                    }
                }
            } else if ((s == ";" || s == "}") && depth == 0) {
                break;
            }
        }
        if (start >= t.size() || start >= end) {
            start = end + 1;
            continue;
        }
        const bool isTypedef = t[start].text == "typedef";
        std::size_t declaratorsFrom = start;
        // Records and enums defined here.
        for (const auto& [from, to] : bodies) {
            if (function) {
                break;
            }
            std::size_t k = from;
            while (k > start && t[k - 1].text != "struct" && t[k - 1].text != "union" &&
                   t[k - 1].text != "class" && t[k - 1].text != "enum") {
                --k;
            }
            if (k > start) {
                const std::string& keyword = t[k - 1].text;
                const bool named = k < from && t[k].kind == Token::Identifier &&
                                   t[k].text != "class" && t[k].text != "struct";
                if (named) {
                    out.push_back({t[k].text,
                                   keyword == "enum"    ? "enum"
                                   : keyword == "class" ? "class"
                                                        : "struct",
                                   t[k].line});
                }
                if (keyword == "enum") {
                    enumerators(t, from, to, out);
                }
            }
            declaratorsFrom = to + 1;
        }
        if (function) {
            const std::string name = declaratorName(t, start, bodies.back().first);
            if (!name.empty()) {
                out.push_back({name, "prototype", t[start].line});
            }
        } else if (isTypedef) {
            // Declarators, separated by commas outside parentheses: `A, *B, (*C)(int)`.
            std::size_t from = bodies.empty() ? start + 1 : declaratorsFrom;
            int nesting = 0;
            for (std::size_t i = from; i <= end; ++i) {
                const bool last = i == end;
                const std::string& s = last ? t[start].text : t[i].text;
                if (!last) {
                    nesting += (s == "(" || s == "[") - (s == ")" || s == "]");
                }
                if (last || (s == "," && nesting == 0)) {
                    const std::string name = declaratorName(t, from, i);
                    if (!name.empty()) {
                        out.push_back({name, "typedef", t[start].line});
                    }
                    from = i + 1;
                }
            }
        } else if (bodies.empty()) {
            // A prototype, or a record only named (`struct X;`), which declares nothing here.
            bool record = false, paren = false;
            for (std::size_t i = start; i < end; ++i) {
                record = record || isRecordKeyword(t[i].text);
                paren = paren || t[i].text == "(";
            }
            if (paren && !record) {
                const std::size_t p = static_cast<std::size_t>(
                    std::find_if(t.begin() + start, t.begin() + end,
                                 [](const Token& x) { return x.text == "("; }) -
                    t.begin());
                const std::string name = declaratorName(t, start, p);
                if (!name.empty()) {
                    out.push_back({name, "prototype", t[start].line});
                }
            } else if (!record) {
                const std::string name = declaratorName(t, start, end);
                if (!name.empty()) {
                    out.push_back({name, "variable", t[start].line});
                }
            }
        }
        start = end + 1;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// The checks

struct Report {
    int problems = 0;
    void operator()(const std::string& where, const std::string& what) {
        std::cerr << "sdk names check: " << where << ": " << what << "\n";
        ++problems;
    }
};

struct SdkHeader {
    Text text;
    std::vector<Declaration> declared;
};

// Published names that are ordinary words (int32, get) are a module's to use for its own ends, as
// is NULL, the C library's too.
bool isWordLike(const std::string& name) {
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
}

std::string article(const std::string& noun) {
    return (std::string("aeiou").find(noun[0]) != std::string::npos ? "an " : "a ") + noun;
}

void checkSdk(const Published& p, const fs::path& sdk, std::map<std::string, SdkHeader>& headers,
              Report& report) {
    for (const auto& entry : fs::recursive_directory_iterator(sdk)) {
        const std::string rel = fs::relative(entry.path(), sdk).generic_string();
        if (!entry.is_regular_file() || entry.path().extension() != ".h" ||
            rel.rfind("abi/", 0) == 0) {
            continue;
        }
        const std::string where = "sdk/" + rel;
        if (!p.isHeader(rel)) {
            report(where, "no published header has this name and folder");
            continue;
        }
        SdkHeader& h = headers[rel];
        h.text = read(entry.path());
        const PublishedHeader& published = p.headers.at(rel);
        const auto& ds = h.text.directives;

        // The guard, as published.
        const bool guarded = ds.size() >= 2 && ds[0].name == "ifndef" && ds[1].name == "define" &&
                             !ds[0].tokens.empty() && !ds[1].tokens.empty() &&
                             ds[0].tokens[0].text == ds[1].tokens[0].text;
        const std::string guard = guarded ? ds[0].tokens[0].text : "(none)";
        if (guard != published.guard) {
            report(where, "its include guard is " + guard + "; the published header's is " +
                              published.guard);
        }
        for (const Directive& d : ds) {
            if (d.name == "pragma" && d.rest == "once") {
                report(where + ":" + std::to_string(d.line),
                       "#pragma once: the published header has its guard alone");
            }
        }

        // Its includes: those of the published header, in order, and every one that sdk/ holds.
        std::vector<std::string> spelled;
        for (const Directive& d : ds) {
            if (d.name == "include") {
                spelled.push_back(includedName(d));
            }
        }
        std::size_t next = 0;
        for (const std::string& s : spelled) {
            const auto found = std::find(published.includes.begin() + static_cast<long>(next),
                                         published.includes.end(), s);
            if (found == published.includes.end()) {
                const bool elsewhere =
                    std::count(published.includes.begin(), published.includes.end(), s) != 0;
                report(where, "includes " + s +
                                  (elsewhere ? " out of the published header's order"
                                             : ", which the published header does not include"));
            } else {
                next = static_cast<std::size_t>(found - published.includes.begin()) + 1;
            }
        }
        for (const std::string& s : published.includes) {
            const std::string to = p.resolve(rel, s);
            if (!to.empty() && fs::exists(sdk / to) &&
                std::find(spelled.begin(), spelled.end(), s) == spelled.end()) {
                report(where, "does not include " + s + ", which the published header includes");
            }
        }

        // Its #error lines.
        std::set<std::string> errors;
        for (const Directive& d : ds) {
            if (d.name == "error") {
                errors.insert(unquoted(d.rest));
            }
        }
        for (const std::string& e : published.errors) {
            if (!errors.count(e)) {
                report(where, "lacks the published header's #error \"" + e + "\"");
            }
        }
        for (const std::string& e : errors) {
            if (!published.errors.count(e)) {
                report(where, "has an #error the published header lacks: \"" + e + "\"");
            }
        }

        // Every name it declares, declared there in the published SDK.
        h.declared = declarations(h.text);
        std::set<std::pair<std::string, std::string>> seen; // both branches of an #ifdef
        std::set<std::string> misplaced;                    // a struct and its typedef, said once
        for (const Declaration& d : h.declared) {
            const std::string at = where + ":" + std::to_string(d.line);
            if (!seen.insert({d.name, d.kind}).second) {
                continue;
            }
            const auto found = p.names.find(d.name);
            if (found == p.names.end()) {
                if (misplaced.insert(d.name).second) {
                    report(at, "declares " + d.name + ", which no published header declares");
                }
                continue;
            }
            if (found->second.count({d.kind, rel})) {
                continue;
            }
            std::string kinds;
            for (const auto& [kind, header] : found->second) {
                if (header == rel) {
                    kinds += (kinds.empty() ? "" : " or ") + kind;
                }
            }
            if (!kinds.empty()) {
                report(at, "declares " + d.name + " as " + article(d.kind) + "; " + rel +
                               " publishes it as " + article(kinds));
            } else if (misplaced.insert(d.name).second) {
                report(at, "declares " + d.name + ", which the published SDK declares in " +
                               p.headersOf(d.name));
            }
        }
    }
}

struct Use {
    std::string name;
    int line;
    bool complete; // named as a whole object, not only through a pointer or reference
};

struct Source {
    std::string rel;
    Text text;
    std::vector<std::pair<std::string, int>> localIncludes; // module headers, relative to root
    std::vector<std::pair<std::string, int>> sdkIncludes;   // published headers
    std::vector<Use> uses;
};

// Names a module source gives a meaning of its own.
std::vector<std::pair<std::string, int>> definitions(const Text& text) {
    std::vector<std::pair<std::string, int>> out;
    for (const Directive& d : text.directives) {
        if (d.name == "define" && !d.tokens.empty()) {
            out.push_back({d.tokens[0].text, d.line});
        }
    }
    const std::vector<Token>& t = text.code;
    std::size_t statement = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const std::string& s = t[i].text;
        if (s == ";" || s == "{" || s == "}") {
            if (s == ";" && t[statement].text == "typedef") {
                const std::string name = declaratorName(t, statement + 1, i);
                if (!name.empty()) {
                    out.push_back({name, t[i].line});
                }
            }
            statement = i + 1;
            continue;
        }
        if (i + 1 >= t.size()) {
            break;
        }
        std::size_t n = i + 1;
        if (s == "enum" && (t[n].text == "class" || t[n].text == "struct")) {
            ++n;
        }
        if (n + 1 < t.size() && t[n].kind == Token::Identifier &&
            ((isRecordKeyword(s) &&
              (t[n + 1].text == "{" || t[n + 1].text == ":" || t[n + 1].text == "final")) ||
             (s == "using" && t[n + 1].text == "=") || s == "namespace")) {
            out.push_back({t[n].text, t[n].line});
        }
    }
    return out;
}

Source readSource(const Published& p, const fs::path& root, const fs::path& file) {
    Source s;
    s.rel = fs::relative(file, root).generic_string();
    s.text = read(file);
    for (const Directive& d : s.text.directives) {
        if (d.name != "include") {
            continue;
        }
        const std::string name = includedName(d);
        const fs::path beside = file.parent_path() / name;
        if (!name.empty() && fs::exists(beside) &&
            fs::relative(beside, root).generic_string().rfind("sdk/", 0) != 0) {
            s.localIncludes.push_back(
                {fs::relative(beside, root).lexically_normal().generic_string(), d.line});
        } else if (!name.empty() && fs::exists(root / name) && name.rfind("sdk/", 0) != 0) {
            s.localIncludes.push_back({fs::path(name).lexically_normal().generic_string(), d.line});
        } else if (p.isHeader(name)) {
            s.sdkIncludes.push_back({name, d.line});
        } else if (p.isHeader("SP/" + name)) {
            s.sdkIncludes.push_back({"SP/" + name, d.line});
        } else {
            s.sdkIncludes.push_back({name, d.line}); // checked below: no such published header
        }
    }
    std::vector<Token> all = s.text.code;
    for (const Directive& d : s.text.directives) {
        if (d.name != "include") {
            all.insert(all.end(), d.tokens.begin(), d.tokens.end());
        }
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Token& t = all[i];
        if (t.kind != Token::Identifier) {
            continue;
        }
        // Members and qualified names are not the SDK's file-scope names.
        if (i > 0 && (all[i - 1].text == "." || all[i - 1].text == "->" ||
                      (all[i - 1].text == "::" && i > 1 && all[i - 2].kind == Token::Identifier))) {
            continue;
        }
        const bool indirect =
            i + 1 < all.size() && (all[i + 1].text == "*" || all[i + 1].text == "&");
        s.uses.push_back({t.text, t.line, !indirect});
    }
    return s;
}

// The published header a name needs: the one with its complete definition where one is named.
std::vector<std::string> neededHeaders(const Published& p, const std::string& name) {
    std::vector<std::string> records, any;
    for (const auto& [kind, header] : p.names.at(name)) {
        (kind == "struct" || kind == "class" ? records : any).push_back(header);
    }
    return records.empty() ? any : records;
}

// The header a module includes to reach `header`: itself, or the parent of a header that only
// its parent may include.
std::string entryHeader(const Published& p, const std::string& header) {
    const auto found = p.parents.find(header);
    return found == p.parents.end() ? header : *found->second.begin();
}

void checkModule(const Published& p, const fs::path& root,
                 const std::map<std::string, SdkHeader>& sdk, const std::vector<fs::path>& files,
                 std::map<std::string, std::set<std::string>>& taken, Report& report) {
    // Which sdk/ header declares each name, and every name sdk/ declares.
    std::map<std::string, std::set<std::string>> sdkDeclares;
    for (const auto& [header, h] : sdk) {
        for (const Declaration& d : h.declared) {
            sdkDeclares[d.name].insert(header);
        }
    }

    std::map<std::string, Source> sources;
    for (const fs::path& f : files) {
        Source s = readSource(p, root, f);
        sources[s.rel] = std::move(s);
    }
    // What each source reaches: its own headers followed, then the published include chains.
    std::map<std::string, std::set<std::string>> reach;
    std::map<std::string, std::set<std::string>> sdkReach;
    for (const auto& [rel, s] : sources) {
        std::set<std::string> seen;
        std::vector<std::string> todo{rel};
        std::set<std::string>& headers = sdkReach[rel];
        while (!todo.empty()) {
            const std::string next = todo.back();
            todo.pop_back();
            if (!seen.insert(next).second || !sources.count(next)) {
                continue;
            }
            for (const auto& [h, line] : sources.at(next).sdkIncludes) {
                if (p.isHeader(h)) {
                    const std::set<std::string> c = p.closure(h);
                    headers.insert(c.begin(), c.end());
                }
            }
            for (const auto& [h, line] : sources.at(next).localIncludes) {
                todo.push_back(h);
            }
        }
    }

    for (const auto& [rel, s] : sources) {
        // Includes: published headers only, and none that only a published parent may include.
        for (const auto& [h, line] : s.sdkIncludes) {
            const std::string at = rel + ":" + std::to_string(line);
            if (!p.isHeader(h)) {
                const std::string base = fs::path(h).filename().string();
                for (const auto& [published, facts] : p.headers) {
                    if (fs::path(published).filename() == base && published != h &&
                        published != "SP/" + h) {
                        report(at, "includes \"" + h + "\": the published SDK has it as \"" +
                                       published + "\"");
                    }
                }
                continue;
            }
            if (p.isPart(h)) {
                const std::string parent = entryHeader(p, h);
                const auto& errors = p.headers.at(h).errors;
                report(at, "includes " + h + " directly: it has no include guard and " + parent +
                               " includes it" +
                               (errors.empty() ? " already, so its records would be defined twice"
                                               : "; alone it stops the build (#error \"" +
                                                     *errors.begin() + "\")") +
                               "; include " + parent);
            }
        }

        std::set<std::string> defined;
        for (const auto& [name, line] : definitions(s.text)) {
            if (p.names.count(name) && !defined.count(name)) {
                defined.insert(name);
                report(rel + ":" + std::to_string(line),
                       "defines " + name + ", a name the published " + p.headersOf(name) +
                           " declares: give it a name of the module's own");
            }
        }
        std::set<std::string> reported;
        for (const Use& u : s.uses) {
            const std::string at = rel + ":" + std::to_string(u.line);
            const auto published = p.names.find(u.name);
            if (published == p.names.end()) {
                if (sdkDeclares.count(u.name) && reported.insert(u.name).second) {
                    report(at, "uses " + u.name + ", which no published header declares (sdk/" +
                                   *sdkDeclares.at(u.name).begin() +
                                   " does): the module defines such names itself");
                }
                continue;
            }
            if (isWordLike(u.name) || u.name == "NULL" || defined.count(u.name)) {
                continue;
            }
            const std::vector<std::string> needed = neededHeaders(p, u.name);
            const auto declares = sdkDeclares.find(u.name);
            // Declared by sdk/ in a header that publishes it (a wrong header is sdk/'s fault,
            // above).
            const bool declared =
                declares != sdkDeclares.end() &&
                std::any_of(published->second.begin(), published->second.end(),
                            [&](const auto& row) { return declares->second.count(row.second); });
            if (!declared) {
                if (reported.insert(u.name).second) {
                    report(at, "uses " + u.name + ", which the published " + p.headersOf(u.name) +
                                   " declares" +
                                   (declares == sdkDeclares.end()
                                        ? " and sdk/ does not"
                                        : "; sdk/ declares it in " + *declares->second.begin()));
                }
                continue;
            }
            const std::set<std::string>& reached = sdkReach.at(rel);
            const bool reachable =
                std::any_of(needed.begin(), needed.end(),
                            [&](const std::string& h) { return reached.count(h) != 0; });
            if (!reachable) {
                if (reported.insert(u.name).second) {
                    report(at, "uses " + u.name + " from " + entryHeader(p, needed.front()) +
                                   ", which it does not include, directly or through the headers "
                                   "it includes");
                }
                continue;
            }
            for (const std::string& h : needed) {
                if (reached.count(h)) {
                    taken[h].insert(u.name);
                    break;
                }
            }
            // A name published as a forward typedef whose record (_NAME) lies in another header:
            // a whole object of it needs that header too.
            const auto record = p.names.find("_" + u.name);
            if (u.complete && record != p.names.end()) {
                for (const auto& [kind, h] : record->second) {
                    if (kind == "struct" && !reached.count(h) && reported.insert(u.name).second) {
                        report(at, "uses " + u.name +
                                       " as a whole record, whose fields the "
                                       "published " +
                                       h + " declares; it does not include " + entryHeader(p, h));
                    } else if (kind == "struct" && reached.count(h)) {
                        taken[h].insert("_" + u.name);
                    }
                }
            }
        }
    }
}

// One translation unit per sdk/ header: every name the module takes from it, used through that
// header alone (or the parent that includes it).
void writeUnits(const Published& p, const fs::path& out,
                const std::map<std::string, SdkHeader>& sdk,
                const std::map<std::string, std::set<std::string>>& taken) {
    for (const auto& [header, h] : sdk) {
        std::ostringstream unit;
        const std::string entry = entryHeader(p, header);
        const auto names = taken.find(header);
        if (names == taken.end()) {
            unit << "// Written by sdk_names_check: the module takes no name from " << header
                 << ".\n";
        } else {
            unit << "// Written by sdk_names_check: the names the module takes from " << header
                 << ", through " << entry << " alone.\n#include \"" << entry << "\"\n";
            int n = 0;
            for (const std::string& name : names->second) {
                std::set<std::string> kinds;
                for (const auto& [kind, where] : p.names.at(name)) {
                    if (where == header) {
                        kinds.insert(kind);
                    }
                }
                const std::string say = "\"" + header + " declares " + name + "\"";
                if (kinds.count("macro")) {
                    unit << "#ifndef " << name << "\n#error " << say << "\n#endif\n";
                } else if (kinds.count("typedef") && !kinds.count("struct")) {
                    unit << "using zarvo_sdk_name_" << n++ << " = " << name << ";\n";
                } else if (kinds.count("prototype")) {
                    unit << "static_assert(sizeof(&" << name << ") > 0, " << say << ");\n";
                } else {
                    // A record whole, or an enumerator.
                    unit << "static_assert(sizeof(" << name << ") > 0, " << say << ");\n";
                }
            }
        }
        const fs::path file = out / (header.substr(0, header.size() - 2) + ".cpp");
        fs::create_directories(file.parent_path());
        std::ofstream(file) << unit.str();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::cerr << "usage: sdk_names_check NAMES.tsv HEADERS.tsv SDK_DIR SOURCE_ROOT OUT_DIR "
                     "SOURCE...\n";
        return 2;
    }
    try {
        const Published p = readPublished(argv[1], argv[2]);
        const fs::path sdk = argv[3], root = argv[4], out = argv[5];
        std::vector<fs::path> files(argv + 6, argv + argc);
        Report report;
        std::map<std::string, SdkHeader> headers;
        checkSdk(p, sdk, headers, report);
        std::map<std::string, std::set<std::string>> taken;
        checkModule(p, root, headers, files, taken, report);
        if (report.problems > 0) {
            std::cerr << "sdk names check: " << report.problems
                      << " problem(s): the module would not build against the published headers\n";
            return 1;
        }
        if (out != "-") {
            writeUnits(p, out, headers, taken);
        }
        std::size_t count = 0;
        for (const auto& [header, names] : taken) {
            count += names.size();
        }
        std::cout << "sdk names check: " << count << " names from " << taken.size()
                  << " published headers, in " << files.size() << " sources\n";
    } catch (const std::exception& e) {
        std::cerr << "sdk names check: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
