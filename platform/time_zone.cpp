// Filled in as this piece is built.
