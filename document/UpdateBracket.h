#pragma once
// A scope that brackets an update of anything with BeginUpdate, EndUpdate and
// AbandonUpdate. Closing normally ends the update, which may notify listeners; an
// exception from a listener then reaches the caller. Closing while another exception
// unwinds the scope abandons the update instead: nothing is notified, since a second
// exception thrown there would end the program.

#include <exception>

template <class Target>
class UpdateBracket {
public:
    explicit UpdateBracket(Target& target)
        : target_(target), uncaught_(std::uncaught_exceptions()) {
        target_.BeginUpdate();
    }
    ~UpdateBracket() noexcept(false) {
        if (std::uncaught_exceptions() > uncaught_)
            target_.AbandonUpdate();
        else
            target_.EndUpdate();
    }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    Target& target_;
    const int uncaught_;
};
