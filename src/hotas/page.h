// Base of the stick display's pages. A page has a number of cursor positions and an editing flag:
// outside editing the cursor buttons move between the positions (with wrap), while editing they
// adjust the value under the cursor, which pages do by replacing the cursor operations and
// calling these first. Every frame the current page composes its three lines afresh from the
// simulator (never caching values) into buffers it keeps, so a frame allocates nothing.
//
// Cursor marks: a row of single characters, one per mark position of the page, set around the
// item under the cursor: '[' ']' frame an item that select acts on, '>' and '<' point at a value
// that can be adjusted; while editing those two become the display's own glyphs 0xFC and 0xFB.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "hotas/hotas_panel.h"
#include "sim/sim_registry.h"

namespace XPL {

class CGlasslinkHotas;

class CHotasPanel::CPage {
public:
    static constexpr size_t kLineCount = 3;
    static constexpr size_t kLineChars = 16;
    static constexpr size_t kMostMarks = 16;
    static constexpr char kEditingRight = static_cast<char>(0xFC);  // '>' while editing
    static constexpr char kEditingLeft = static_cast<char>(0xFB);   // '<' while editing

    // One display line under construction: at most kLineChars characters, the rest is dropped.
    // Its room is reserved once, so rebuilding it every frame allocates nothing.
    class CLine {
    public:
        CLine() { text.reserve(kLineChars); }
        void Clear() { text.clear(); }
        CLine& operator<<(std::string_view part) {
            text.append(part.substr(0, kLineChars - text.size()));
            return *this;
        }
        CLine& operator<<(char c) {
            if (text.size() < kLineChars) {
                text.push_back(c);
            }
            return *this;
        }
        // A mark that takes no room when there is none (between the digits of a code).
        CLine& AppendUnlessSpace(char mark) { return mark == ' ' ? *this : *this << mark; }
        const std::string& Text() const { return text; }

    private:
        std::string text;
    };
    using Lines = std::array<CLine, kLineCount>;

    // A simulator command of the registry, by member; null for none.
    using Command = XPLMCommandRef SimRegistry::Commands::*;
    // A dataref of the registry, by member.
    using DataRef = SimDataRef SimRegistry::DataRefs::*;

    CPage(const SimRegistry& registry, uint8_t cursorCount);
    virtual ~CPage();
    CPage(const CPage&) = delete;
    CPage& operator=(const CPage&) = delete;

    // Outside editing: the cursor moves to the previous position, the first one followed by the
    // last. While editing, or without positions: nothing.
    virtual void CursorUp();
    // Outside editing: the cursor moves to the next position, the last one followed by the
    // first. While editing, or without positions: nothing.
    virtual void CursorDown();
    // Starts or ends editing.
    virtual void CursorSelect();
    // Rebuilds the marks, reads the page's values and formats its three lines into lines (each
    // cleared first). Pages may change their own state here (a closed sub-page is left).
    virtual void Compose(Lines& lines) = 0;
    // Composes the page into its own buffers and hands them to link as lines 0, 1 and 2; the link
    // sends only the lines that changed.
    void Display(CGlasslinkHotas& link);

    uint8_t GetCursor() const { return cursor; }
    uint8_t GetCursorCount() const { return cursorCount; }
    uint32_t GetEditing() const { return editing; }

protected:
    // Every mark position a space.
    void ClearMarks();
    // The mark of an adjustable value, as editing shows it.
    char RightMark() const { return editing != 0 ? kEditingRight : '>'; }
    char LeftMark() const { return editing != 0 ? kEditingLeft : '<'; }
    // Runs the command once; a null member runs nothing.
    void Run(Command command) const;
    // While editing, runs the command of the cursor's position (commands: one per position).
    void RunWhileEditing(std::span<const Command> commands) const;
    int32_t ReadInt(DataRef dataRef) const;
    // The float dataref truncated toward zero.
    int32_t ReadTruncated(DataRef dataRef) const;
    // Empties all three lines.
    static void ClearLines(Lines& lines);

    const SimRegistry& registry;
    uint8_t cursor = 0;
    const uint8_t cursorCount;
    uint32_t editing = 0;
    std::string text;                      // shown where a page's layout names it; empty
    std::array<char, kMostMarks> marks{};  // a page uses as many as its layout has

private:
    Lines lines;  // the last composed lines, rebuilt in place every frame
};

}  // namespace XPL
