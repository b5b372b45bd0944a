// The product's folders as the cleaner knows them: one table for the seeder that lays
// them down and for the expectation that predicts the cleaner's lines.
#pragma once

namespace qc::e2e {

inline constexpr const wchar_t* kInstallFolders[] = {
    L"C:\\Kelvora Quenzor 5.1",
    L"C:\\Kelvora Quenzor 5.5",
    L"C:\\Kelvora Quenzor 5.6",
    L"C:\\Kelvora Quenzor 5.9",
    L"C:\\Kelvora Quenzor 6.1",
    L"C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.1",
    L"C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.5",
    L"C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.6",
    L"C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.9",
    L"C:\\Program Files\\Norvane Software\\Kelvora Quenzor 6.1",
};

// Appended to the profile folder.
inline constexpr const wchar_t* kProfileSuffixes[] = {
    L"\\Norvane", L"\\Application Data\\Norvane", L"\\Local Settings\\Application Data\\Norvane"};

}  // namespace qc::e2e
