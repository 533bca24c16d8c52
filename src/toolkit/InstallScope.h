#pragma once
// Installs one of the program's replaceable services (the prompt, the file dialogs, ...) for the
// lifetime of a scope, through the service's setter, which returns what it replaces; the scope puts
// that back.
template <class TService, TService* (*Install)(TService*)>
class TInstallScope {
public:
    explicit TInstallScope(TService& service) : previous_(Install(&service)) {}
    ~TInstallScope() { Install(previous_); }
    TInstallScope(const TInstallScope&) = delete;
    TInstallScope& operator=(const TInstallScope&) = delete;

private:
    TService* previous_;
};
