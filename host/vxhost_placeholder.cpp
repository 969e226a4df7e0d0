// Removed once the host lands.
