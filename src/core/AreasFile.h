// The areas file exported by the tosser's setup program: one area per line,
// word 1 the message base (with its type marker), word 2 the tag.
#pragma once

#include <string>

#include "core/Exceptions.h"
#include <memory>

#include "core/OwningList.h"

// An area as the areas file describes it.
class TAreaBase {
public:
    TAreaBase() = default;
    TAreaBase(std::string tag, std::string description, std::string baseSpec)
        : Tag(std::move(tag)), Description(std::move(description)), BaseSpec(std::move(baseSpec))
    {
    }
    virtual ~TAreaBase() = default;

    void Assign(const TAreaBase& other)
    {
        Tag = other.Tag;
        Description = other.Description;
        BaseSpec = other.BaseSpec;
    }

    std::string Tag;          // upper case (ASCII letters)
    std::string Description;  // always the constant AreaDescriptionText()
    std::string BaseSpec;     // format letter F/H/J/S followed by the format's path
};

// The one description every area gets ("Описание").
const std::string& AreaDescriptionText();

// Raised when the areas file cannot be read: "Где "%s"?  (Ошибка %d)".
class ECantFindAreasBBS : public EQuorvel {
public:
    ECantFindAreasBBS(const std::string& fileName, int code);
    int Code;
};

// Reads the whole areas file when constructed and sorts the areas by tag
// (areas of one tag in the file's order).
class TAreasFromCFG : public OwningList<TAreaBase> {
public:
    TAreasFromCFG(const std::string& areasFileName, const std::string& hudsonPath);
    // By Tag, locale-aware and case-sensitive; -1, 0 or 1. An absent item
    // (nullptr) sorts last: a merge runs past the end of one side with it.
    static int Compare(const TAreaBase* a, const TAreaBase* b);

    // The area one line of the file describes, or nullptr for a skipped line.
    static std::unique_ptr<TAreaBase> ParseLine(const std::string& line, const std::string& hudsonPath);
};
