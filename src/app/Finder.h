// Find: the field above the list that narrows it to the entries holding every typed word, and the keys
// that reach it while it has the focus.
#pragma once
#include <windows.h>

#include "list/ListFiles.h"

// What the main dialog does with a key message on its way: what it always did, hand it to the field past
// the accelerators, nothing more (handled here), hide the field, or run command.
enum class FinderKey { Normal, ToField, Handled, Hide, Command };

class Finder {
  public:
    explicit Finder(ListFiles& files) : m_files(files) {}
    Finder(const Finder&) = delete;
    Finder& operator=(const Finder&) = delete;

    void Attach(HWND dialog);
    bool Shown() const { return m_shown; }
    // Shows the field, focuses it and selects its text; the dialog lays itself out anew.
    void Show();
    // Clears the filter (the list keeps its selection), hides the field and gives the list the focus.
    void Hide();
    // The field's text changed: a short list follows at once, a long one once the typing pauses.
    void OnTextChanged();
    void OnTimer() { ApplyFilter(); }
    FinderKey Route(const MSG& msg, UINT& command);

    static constexpr UINT_PTR kTimer = 20;

  private:
    void ApplyFilter();
    void MoveSelection(int step);
    HWND Field() const;
    HWND List() const;

    ListFiles& m_files;
    HWND m_dialog = nullptr;
    bool m_shown = false;
    bool m_pending = false; // a timer runs to apply the typed text
};
