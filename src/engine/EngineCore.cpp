// Portable decisions of the uninstall engine live here.
