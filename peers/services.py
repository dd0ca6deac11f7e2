"""The set of peers a run of the installer talks to, on the deployment's ports.

Each later part of the installer teaches its peer what to answer; until then
a peer records what it is asked and answers 404, so an unexpected request is
visible in the record rather than silently served.
"""
from pathlib import Path
from typing import Dict

from peers.framework import Peer
from peers.deployment import port_of, read_deployment
from peers.config_service import ConfigService
from peers.telemetry_peer import TelemetryPeer

REPO = Path(__file__).resolve().parents[1]


class PeerSet:
    def __init__(self, deployment: Path = REPO / "deploy" / "local.ini", lifetime: float = 900.0):
        config = read_deployment(deployment)
        self.peers: Dict[str, Peer] = {
            "config": ConfigService(port_of(config["config"]["base_url"]), lifetime),
            "telemetry": TelemetryPeer(port_of(config["telemetry"]["url"]), lifetime),
        }

    def __getitem__(self, name: str) -> Peer:
        return self.peers[name]

    def __enter__(self):
        started = []
        try:
            for peer in self.peers.values():
                started.append(peer.start())
        except Exception:
            for peer in started:
                peer.stop()
            raise
        return self

    def __exit__(self, *exc):
        for peer in self.peers.values():
            peer.stop()
        return False

    def summary(self) -> str:
        return ", ".join(f"{name}: {len(peer.requests)} requests" for name, peer in self.peers.items())
