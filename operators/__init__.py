"""What the channel operators run (docs/OPERATORS.md): wrap and mask a
channel's documents, serve a channel locally, read telemetry. The peers'
stand-ins for the vendor's services use the same wrapping."""
