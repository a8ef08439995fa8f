// Placeholder so the library has a source until its first unit lands; delete it then.
