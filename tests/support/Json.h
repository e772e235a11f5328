// A small JSON reader for the fixtures' manifests.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class Json {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    static Json Parse(const std::string& text);  // throws std::runtime_error
    static Json ParseFile(const std::string& path);

    Kind Type() const { return K; }
    bool IsNull() const { return K == Kind::Null; }
    bool AsBool() const { return B; }
    double AsNumber() const { return N; }
    long long AsInt() const { return static_cast<long long>(N); }
    const std::string& AsString() const { return S; }  // UTF-8
    const std::vector<Json>& Items() const { return A; }
    std::size_t Size() const { return K == Kind::Array ? A.size() : O.size(); }
    const Json& operator[](std::size_t i) const { return A.at(i); }
    // Member of an object; a null value when absent.
    const Json& operator[](const std::string& key) const;
    bool Has(const std::string& key) const { return O.count(key) != 0; }
    const std::map<std::string, Json>& Members() const { return O; }

private:
    Kind K = Kind::Null;
    bool B = false;
    double N = 0;
    std::string S;
    std::vector<Json> A;
    std::map<std::string, Json> O;

    friend class JsonParser;
};
