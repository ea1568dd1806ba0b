// A service of the program that a test can replace (the file dialogs, the acquisition
// questions): the program's own one until another is set, and again once nullptr is.
#pragma once

namespace nodewise {

template <class Service> class Replaceable {
public:
    explicit Replaceable(Service& own) : own_(own), current_(&own) {}

    Service& operator*() const { return *current_; }

    // Puts `service` (nullptr: the program's own) in place; returns the one it replaces.
    Service* Set(Service* service) {
        Service* previous = current_;
        current_ = service != nullptr ? service : &own_;
        return previous;
    }

private:
    Service& own_;
    Service* current_;
};

} // namespace nodewise
