#pragma once

// Every outside host the program sends a person to, in one place. The maker's own site
// and mailboxes live under the reserved ".example" domain until the maker has a real one.
namespace hosts {

// The maker, Kestrelmoor Works.
inline constexpr char Maker[] = "http://www.kestrelmoor.example";
inline constexpr char MakerSuggestionMailbox[] = "suggestions@kestrelmoor.example";

// Send Link leaves the recipient for the user to fill in; this stands in its place.
inline constexpr char SendLinkRecipient[] = "friend@recipient.example";

// Tools > Windows Update.
inline constexpr char WindowsUpdate[] = "http://windowsupdate.microsoft.com";

// Web search home pages: Dogpile is the search engine of a fresh profile, Aesop the one
// the settings window's Default button puts in.
inline constexpr char Dogpile[] = "http://www.dogpile.com";
inline constexpr char Aesop[] = "http://www.aesop.example";

} // namespace hosts
