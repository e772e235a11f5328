// The nodelists, pointlists and the address book as the windows use them:
// one loader for the whole program, started with the settings and checked
// for changed files on a timer; the address book, read on first use. The
// windows never wait for a build: until the first one ends, they ask
// nothing and show no station's name.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/FidoAddress.h"
#include "core/UserSettings.h"
#include "nodelist/AddressBook.h"
#include "nodelist/LoadedLists.h"
#include "text/EditorState.h"

class QWidget;

// Starts (again) loading the lists the settings name, in the background.
void StartNodelists(const UserSettings& settings);
// The lists as the settings name them, and storing them (loading anew).
ListSettings NodelistSettings(const UserSettings& settings);
void SetNodelistSettings(const UserSettings& settings, const ListSettings& lists);

// What the last build read, for the settings page: entries, the lists that
// could not be read, bad lines.
std::string NodelistState();

// The index last built (empty before the first build ends).
std::shared_ptr<const LoadedLists> CurrentNodelists();
// Waits for the build in progress (tests).
void WaitForNodelists();

// "Station, Moscow": the system and location the lists give for the
// address; "" when they do not know it.
std::string StationOf(const FidoAddress& address);
// "2:5020/275 (Station, Moscow)" when the lists know the address, else the
// address alone.
std::string AddressWithStation(const FidoAddress& address);

// The destination of a netmail editor's letter as saving reads it (a zone
// left out is the sender's), or none when the fields name no station.
std::optional<FidoAddress> TypedDestination(const EditorState& editor, const UserSettings& settings);

// Before netmail to the address is saved: true to go on. With lists loaded,
// an address they do not contain, or a node marked Down, is asked about
// (default "Нет"); with no lists nothing is asked.
bool ConfirmNetmailDestination(const FidoAddress& address, QWidget* parent);

// The program's address book (read on first use; a damaged one is reported
// once).
AddressBook& ProgramAddressBook();
// Adds or refreshes an entry with today's date and writes the book; an error
// writing it is shown.
void RememberAddress(const std::string& name, const FidoAddress& address, QWidget* parent);
