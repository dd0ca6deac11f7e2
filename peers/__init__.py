"""Faithful stand-ins for the vendor's services, started on loopback by tests and the demo."""
