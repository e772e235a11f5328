#include "support/Json.h"

#include <cstdlib>
#include <stdexcept>

#include "support/TestSupport.h"

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : T(text) {}

    Json Value()
    {
        Blank();
        if (P >= T.size())
            Fail("unexpected end");
        Json v;
        char c = T[P];
        if (c == '{') {
            v.K = Json::Kind::Object;
            ++P;
            Blank();
            if (Peek('}'))
                return ++P, v;
            for (;;) {
                Blank();
                std::string key = String();
                Blank();
                Expect(':');
                v.O[key] = Value();
                Blank();
                if (Peek(','))
                    ++P;
                else
                    break;
            }
            Expect('}');
        } else if (c == '[') {
            v.K = Json::Kind::Array;
            ++P;
            Blank();
            if (Peek(']'))
                return ++P, v;
            for (;;) {
                v.A.push_back(Value());
                Blank();
                if (Peek(','))
                    ++P;
                else
                    break;
            }
            Expect(']');
        } else if (c == '"') {
            v.K = Json::Kind::String;
            v.S = String();
        } else if (T.compare(P, 4, "true") == 0) {
            v.K = Json::Kind::Bool;
            v.B = true;
            P += 4;
        } else if (T.compare(P, 5, "false") == 0) {
            v.K = Json::Kind::Bool;
            P += 5;
        } else if (T.compare(P, 4, "null") == 0) {
            P += 4;
        } else {
            v.K = Json::Kind::Number;
            char* end = nullptr;
            v.N = std::strtod(T.c_str() + P, &end);
            if (end == T.c_str() + P)
                Fail("bad value");
            P = static_cast<std::size_t>(end - T.c_str());
        }
        return v;
    }

    void End()
    {
        Blank();
        if (P != T.size())
            Fail("trailing text");
    }

private:
    const std::string& T;
    std::size_t P = 0;

    [[noreturn]] void Fail(const char* what) { throw std::runtime_error(std::string("json: ") + what + " at " + std::to_string(P)); }
    void Blank()
    {
        while (P < T.size() && (T[P] == ' ' || T[P] == '\n' || T[P] == '\r' || T[P] == '\t'))
            ++P;
    }
    bool Peek(char c) const { return P < T.size() && T[P] == c; }
    void Expect(char c)
    {
        if (!Peek(c))
            Fail("unexpected character");
        ++P;
    }
    void PutUtf8(std::string& out, unsigned cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    unsigned Hex4()
    {
        if (P + 4 > T.size())
            Fail("short escape");
        unsigned v = static_cast<unsigned>(std::stoul(T.substr(P, 4), nullptr, 16));
        P += 4;
        return v;
    }
    std::string String()
    {
        Expect('"');
        std::string out;
        while (P < T.size() && T[P] != '"') {
            char c = T[P++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (P >= T.size())
                Fail("bad escape");
            char e = T[P++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                unsigned cp = Hex4();
                if (cp >= 0xD800 && cp < 0xDC00 && T.compare(P, 2, "\\u") == 0) {
                    P += 2;
                    unsigned low = Hex4();
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                PutUtf8(out, cp);
                break;
            }
            default: out += e;
            }
        }
        Expect('"');
        return out;
    }
};

Json Json::Parse(const std::string& text)
{
    JsonParser parser(text);
    Json v = parser.Value();
    parser.End();
    return v;
}

Json Json::ParseFile(const std::string& path)
{
    return Parse(ReadFileBytes(path));
}

const Json& Json::operator[](const std::string& key) const
{
    static const Json null;
    auto it = O.find(key);
    return it == O.end() ? null : it->second;
}
