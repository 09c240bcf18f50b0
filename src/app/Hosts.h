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

// Freeware download sites searched by Find Freeware. Jumbo's search is served by an outside
// search host, which is given Jumbo's own host name (no scheme) inside its address.
inline constexpr char FreewareArena[] = "http://www.freewarearena.com";
inline constexpr char PCAnswers[] = "http://www.pcanswers.co.uk";
inline constexpr char FileTransit[] = "http://www.filetransit.com";
inline constexpr char JumboSearch[] = "http://search.jumbo-search.example";
inline constexpr char JumboSiteName[] = "www.jumbo.com";
inline constexpr char Tucows[] = "http://www.tucows.com";
inline constexpr char CnetDownloads[] = "http://download.cnet.com";
inline constexpr char FreewareWorld[] = "http://www.freewareworld.com";

// General web search engines of Find on the web (DogPile is the one above).
inline constexpr char AolSearch[] = "http://search.aol.com";
inline constexpr char AskJeeves[] = "http://www.ask.com";
inline constexpr char AltaVistaUK[] = "http://uk.altavista.com";
inline constexpr char YahooSearch[] = "http://search.yahoo.com";
inline constexpr char Google[] = "http://www.google.com";

// Sites the keywords jump to.
inline constexpr char ParasiteInfo[] = "http://www.parasite-info.example";
inline constexpr char BBC[] = "http://www.bbc.co.uk";
inline constexpr char BBCNews[] = "http://news.bbc.co.uk";
inline constexpr char DriverGuide[] = "http://www.driverguide.com";
inline constexpr char PersonalSite[] = "http://www.plume.example";
inline constexpr char Inspiratech[] = "http://www.inspiratech.com";
inline constexpr char FreewareHome[] = "http://www.freewarehome.com";
inline constexpr char MakerFanSite[] = "http://www.fansite.kestrelmoor.example";
inline constexpr char ComputerHope[] = "http://www.computerhope.com";
inline constexpr char QuantumIllusions[] = "http://quantumillusions.freeservers.com";
inline constexpr char Seniority[] = "http://www.seniority.co.uk";
inline constexpr char AgainstTcpa[] = "http://www.against-tcpa.example";
inline constexpr char TheRegister[] = "http://www.theregister.co.uk";
inline constexpr char FreeTranslation[] = "http://www.freetranslation.com";
inline constexpr char WebGrid[] = "http://www.webgrid.co.uk";
inline constexpr char ZeroPlus2[] = "http://zeroplus2.tripod.com";

} // namespace hosts
