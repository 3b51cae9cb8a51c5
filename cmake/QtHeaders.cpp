// Nothing of its own: the target builds the precompiled Qt headers the
// other targets reuse.
