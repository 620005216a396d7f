// Keeps a layer library that has no sources yet buildable.
