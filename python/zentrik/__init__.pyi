from . import base64 as base64, ber as ber, der as der, qp as qp, url as url
from ._errors import CoderError as CoderError
from ._native import Node as Node, WalkedElement as WalkedElement
